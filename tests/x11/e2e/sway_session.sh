#!/usr/bin/env bash
# The real kivo on sway (run under scripts/sway-run.sh): the clock goes into
# sway's own title bar, drawn by sway, and the program's title is never
# touched. sway 1.7 does not report a window's title format, so what the
# title bar shows is compared as pixels: before Kivo starts, the window
# itself takes each text its bar must later show as its own title, and its
# bar is photographed (same place, same colours, same font). The clock is
# faked to a fixed minute. Checked: the clock shown, the program's own
# retitle followed live behind it, a second start bringing up the hidden
# main window, and the bar as the program's own title has it after SIGTERM.
set -euo pipefail
[[ -n ${KIVO_BIN:-} && -x $KIVO_BIN ]] || { echo "FAIL: KIVO_BIN is not an executable" >&2; exit 1; }
[[ -n ${SWAYSOCK:-} ]] || { echo "FAIL: no SWAYSOCK (run under scripts/sway-run.sh)" >&2; exit 1; }
source "$(dirname "$0")/../../../scripts/x11-lib.sh"
work=$(mktemp -d "$TMPDIR/sway-e2e.XXXXXX")
pids=()
trap 'for p in "${pids[@]}"; do if still_ours "$p"; then kill "$p" 2>/dev/null || true; fi; done' EXIT
fail() {
  echo "FAIL [sway_session]: $*" >&2
  [[ -s $work/kivo.log ]] && { echo "--- kivo's output:" >&2; tail -n 30 "$work/kivo.log" >&2; }
  exit 1
}
export LANGUAGE=ja TZ=UTC
mkdir -p "$XDG_CONFIG_HOME/kivo"

tree() { swaymsg -t get_tree; }
# field APP_ID KEY: KEY of the window with that app_id ("" when none).
field() {
  tree | python3 -c '
import json, sys
def walk(n):
    if n.get("app_id") == sys.argv[1]:
        print(n.get(sys.argv[2]))
        return True
    return any(walk(c) for c in n.get("nodes", []) + n.get("floating_nodes", []))
walk(json.load(sys.stdin))' "$1" "$2"
}
# A foot window whose title each line written to $work/editor.fifo sets
# (the OSC 2 escape), as the program's own.
mkfifo "$work/editor.fifo"
foot -a editor -T Editor sh -c 'exec 3<>"$1"; while read -r l <&3; do printf "\033]2;%s\007" "$l"; done' \
  sh "$work/editor.fifo" >/dev/null 2>&1 &
pids+=($!)
named() { [[ $(field editor name) == "$1" ]]; }
until_ok 15 named Editor || fail "foot did not map"
retitle() {
  printf '%s\n' "$1" >"$work/editor.fifo"
  until_ok 10 named "$1" || fail "the editor did not take the title '$1'"
}
# bar NAME: the title bar of the focused window, alone on the screen.
bar() { grim -g "0,0 1280x26" "$work/$1.png"; }
same() { cmp -s "$work/$1.png" "$work/$2.png"; }
# photograph NAME TITLE: the bar while the window's own title is TITLE,
# once sway has drawn it (two photographs alike, and unlike the last one).
last=
photograph() {
  retitle "$2"
  drawn() { bar "$1" && bar "$1-again" && same "$1" "$1-again" && { [[ -z $last ]] || ! same "$1" "$last"; }; }
  until_ok 10 drawn "$1" || fail "the bar did not settle on '$2'"
  last=$1
}
# shows NAME: the bar looks as photographed under NAME.
shows() {
  looks() { bar now && same now "$1"; }
  until_ok 10 looks "$1"
}

photograph clock '10:30,Dec,7 = Editor'
photograph retitled '10:30,Dec,7 = メモ帳 🕐 notes'
photograph own 'メモ帳 🕐 notes'
photograph plain 'Editor'

faked_clock '2026-12-07 10:30:00' || fail "no faked clock"
"${FAKED_CLOCK[@]}" "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
kivo=$!
pids+=($kivo)
shows clock || fail "the title bar does not show '10:30,Dec,7 = Editor'"
[[ $(field editor name) == 'Editor' ]] || fail "the program's own title changed: $(field editor name)"

# The program's own retitle shows at once, the clock kept before it.
retitle 'メモ帳 🕐 notes'
shows retitled || fail "the retitle did not show with the clock"

# A second start ends and brings up the running instance's main window.
timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || fail "the second start failed ($?)"
main_shown() { [[ $(field kivo visible) == True ]]; }
until_ok 10 main_shown || fail "the main window did not come up"
kill -0 "$kivo" || fail "kivo ended"

# SIGTERM: the bar as the program's own title has it.
swaymsg '[app_id="editor"] focus' >/dev/null
kill "$kivo"
gone() { ! kill -0 "$kivo" 2>/dev/null; }
until_ok 10 gone || fail "kivo did not end on SIGTERM: $(ps -o stat,wchan:20 -p "$kivo" | tail -n 1)"
shows own || fail "the clock stayed in the title bar after kivo ended"

# sway goes away under a running kivo: its own line, and status 1.
"$KIVO_BIN" >"$work/last.log" 2>&1 &
kivo=$!
decorated_again() { bar now && ! same now own; }
until_ok 10 decorated_again || fail "the new kivo did not decorate the editor"
swaymsg exit >/dev/null 2>&1 || true
until_ok 10 gone || fail "kivo outlived sway"
status=0
wait "$kivo" || status=$?
[[ $status -eq 1 ]] || fail "kivo ended with status $status when sway went"
grep -qx "kivo: lost the Wayland display $WAYLAND_DISPLAY" "$work/last.log" ||
  fail "no line of kivo's own when sway went: $(cat "$work/last.log")"
echo "[sway_session] ok"
