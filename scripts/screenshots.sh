#!/usr/bin/env bash
# Takes the README's pictures of kivo.exe under Wine on an Xvfb display:
# docs/decorated-title.png, alarm-box.png, main-window.png,
# settings-dialog.png and window-list-dialog.png.
#
#   scripts/screenshots.sh [BUILD_DIR]     (default build-win32; make windows first)
#
# tools/shots/kivo-shots-win32.exe puts each window up and says which area to keep; `import`
# photographs the screen. Wine runs inside a virtual desktop, where it draws
# the title bars itself, Windows style (on a bare X server no window manager
# would), and on a clock set to 2024-03-05 06:17:00 so that the alarm goes
# off within the run and every picture shows the same time.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build-win32}
shots=$build/tools/shots/kivo-shots-win32.exe
[[ -f $build/kivo.exe && -f $shots ]] || { echo "screenshots: build the Windows tree first (make windows)" >&2; exit 2; }
command -v import >/dev/null || { echo "screenshots: needs imagemagick" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p docs
export KIVO_WINEPREFIX=$PWD/$build/wineprefix-shots KIVO_SHOTS_WORK=$work

# The prefix gets Wine's own fonts (Tahoma, and Marlett for the caption
# buttons), which Debian keeps in fonts-wine, and Japanese text in title bars
# (Tahoma) links to IPA P Gothic (fonts-ipafont-gothic), as it links to a
# Japanese font on Windows.
bash scripts/wine-run.sh --init "$build" >/dev/null
prefix=$KIVO_WINEPREFIX
cp /usr/share/wine/fonts/*.ttf "$prefix/drive_c/windows/Fonts/"
for face in Tahoma "Tahoma Bold"; do
  bash scripts/wine-run.sh reg.exe add \
    'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' /v "$face" \
    /t REG_MULTI_SZ /d "ipagp.ttf,IPAPGothic" /f >/dev/null
done
# Those ran without a display; the run below needs a wineserver that starts
# with one.
WINEPREFIX=$prefix /usr/lib/wine/wineserver -w

# Japanese, then English (kivo-shots-win32.exe says which pictures each has).
bash scripts/x11-run.sh --size 1024x768x24 -- bash -c '
  set -euo pipefail
  shoot() {
    local language=$1
    shift
    KIVO_WINE_DISPLAY=$DISPLAY KIVO_FAKETIME="@2024-03-05 06:17:00" \
      bash scripts/wine-run.sh explorer.exe /desktop=Kivo,1024x768 \
      "'"$shots"'" "Z:${KIVO_SHOTS_WORK//\//\\}" $language &
    driver=$!
    for name in "$@"; do
      for _ in $(seq 600); do
        [[ -s $KIVO_SHOTS_WORK/$name.ready ]] && break
        kill -0 $driver 2>/dev/null || { echo "screenshots: kivo-shots-win32 ended before $name" >&2; exit 1; }
        sleep 0.1
      done
      [[ -s $KIVO_SHOTS_WORK/$name.ready ]] || { echo "screenshots: no $name" >&2; exit 1; }
      sleep 0.5  # let the window finish painting
      import -window root -crop "$(tr -d "\r\n" < "$KIVO_SHOTS_WORK/$name.ready")" +repage "docs/$name.png"
      echo "screenshots: docs/$name.png"
      touch "$KIVO_SHOTS_WORK/$name.done"
    done
    wait $driver
    WINEPREFIX=$KIVO_WINEPREFIX /usr/lib/wine/wineserver -w
  }
  shoot "" decorated-title main-window settings-dialog window-list-dialog tray-menu alarm-box
  shoot en main-window-en settings-dialog-en window-list-dialog-en tray-menu-en
'
