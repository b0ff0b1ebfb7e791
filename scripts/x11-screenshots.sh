#!/usr/bin/env bash
# The pictures of the Linux kivo for the README, on a private Xvfb with
# openbox: docs/linux-decorated.png, an xterm whose title carries the clock,
# on the clock 2026-12-07 09:41 (faketime), cut out around the window and
# doubled in size so that the title reads well; then the program's three
# windows and its alarm box as the Qt toolkit draws them (linux-main.png,
# linux-settings.png, linux-window-list.png, linux-alarm.png, and the
# windows in English: linux-*-en.png), each put up by
# tools/shots/kivo-shots-qt, which says where it is; and the tray icon's
# menu in each language (linux-tray-menu.png, linux-tray-menu-en.png).
#
#   scripts/x11-screenshots.sh     (build/kivo first: make)
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} != --on-display ]]; then
  kivo=${KIVO_BIN:-$PWD/build/kivo} shots=${KIVO_SHOTS_QT:-$PWD/build/tools/shots/kivo-shots-qt}
  [[ -x $kivo && -x $shots ]] || { echo "x11-screenshots.sh: no $kivo or $shots (run make first)" >&2; exit 2; }
  export KIVO_BIN=$kivo KIVO_SHOTS_QT=$shots
  exec bash scripts/x11-run.sh --wm --size 1024x768x24 -- bash "$0" --on-display
fi

source "$(dirname "$0")/x11-lib.sh"
private_session kivo-shots
export TZ=UTC

open_xterm w kivo-shot 'Editor - notes.txt' -geometry 64x6+60+60 \
  -e sh -c 'printf "notes.txt\n\n  - buy coffee\n  - call Ken at 10:00\n"; exec cat' || exit 1
xdotool windowactivate --sync "$w" >/dev/null 2>&1 || true

# A system tray (trayer, top right) for Kivo's icon.
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
tray_up() { tray=$(xdotool search --classname '^panel$' 2>/dev/null | head -n 1); [[ -n $tray ]]; }
until_ok 10 tray_up || { echo "x11-screenshots.sh: no tray" >&2; exit 1; }

faked_clock '2026-12-07 09:41:00'
start_kivo() {
  LANGUAGE=$1 "${FAKED_CLOCK[@]}" "$KIVO_BIN" >"$work/kivo.log" 2>&1 &
  kivo=$!
  pids+=($kivo)
}
start_kivo ja
decorated() { [[ $(name_of "$w") == *' = Editor - notes.txt' ]]; }
until_ok 20 decorated || { echo "x11-screenshots.sh: no clock in the title" >&2; cat "$work/kivo.log" >&2; exit 1; }

# The frame: the client's place on the root widened by _NET_FRAME_EXTENTS.
read -r x y width height < <(xwininfo -id "$w" | awk '
  /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
  /Width:/ {w = $NF} /Height:/ {h = $NF} END {print x, y, w, h}')
read -r left right top bottom < <(xprop -id "$w" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
margin=12
import -window root "$work/root.png"
convert "$work/root.png" \
  -crop "$((width + left + right + 2 * margin))x$((height + top + bottom + 2 * margin))+$((x - left - margin))+$((y - top - margin))" \
  +repage -filter point -resize 200% docs/linux-decorated.png
echo "docs/linux-decorated.png: $(xprop -notype -id "$w" _NET_WM_NAME WM_NAME | grep -m 1 " = ")"

# The tray icon's menu, opened by a right-click, in each language: the top
# right corner of the screen.
tray_menu() {
  local picture=$1 icon=
  docked() {
    for icon in $(xdotool search --class '^Kivo$' 2>/dev/null); do
      xwininfo -tree -id "$tray" | grep -q "$(printf '0x%x' "$icon")" && return 0
    done
    return 1
  }
  until_ok 10 docked || { echo "x11-screenshots.sh: no tray icon" >&2; exit 1; }
  menu_up() { xdotool search --onlyvisible --class '^Kivo$' 2>/dev/null | grep -qv "^$icon\$"; }
  xdotool mousemove --window "$icon" 10 10 click 3
  until_ok 10 menu_up || { echo "x11-screenshots.sh: no tray menu" >&2; exit 1; }
  sleep 0.3  # let the menu finish painting
  import -window root -crop 260x190+764+0 +repage "$picture"
  xdotool key Escape
  echo "$picture"
}
tray_menu docs/linux-tray-menu.png
kill "$kivo"
wait "$kivo" 2>/dev/null || true
start_kivo en
tray_menu docs/linux-tray-menu-en.png

# The Qt windows, with nothing else of the session left on the screen (the
# running kivo would write its clock into their titles).
end_private_session
trap - EXIT
private_session kivo-shots
for pair in frmMain:linux-main frmSet:linux-settings frmWSet:linux-window-list alarm:linux-alarm \
  frmMain:linux-main-en:en frmSet:linux-settings-en:en frmWSet:linux-window-list-en:en; do
  IFS=: read -r form picture language <<<"$pair"
  picture=docs/$picture.png ready=$work/$form.ready
  "$KIVO_SHOTS_QT" "$form" "$ready" ${language:-ja} >"$work/$form.log" 2>&1 &
  pids+=($!)
  ready() { [[ -s $ready ]]; }
  until_ok 60 ready || { echo "x11-screenshots.sh: $form did not come up" >&2; cat "$work/$form.log" >&2; exit 1; }
  read -r x y w h <"$ready"
  # On a busy machine the window may be up before it is painted: the
  # picture is taken again until it is more than black.
  painted() {
    import -window root -crop "${w}x${h}+${x}+${y}" +repage "$picture"
    [[ $(convert "$picture" -format '%[fx:mean>0.05]' info:) == 1 ]]
  }
  until_ok 10 painted || { echo "x11-screenshots.sh: $form was never painted" >&2; exit 1; }
  rm -f "$ready"
  wait "${pids[-1]}"
  grep -E '^(clipped|overlap|differs):' "$work/$form.log" >&2 || true
  echo "$picture"
done
