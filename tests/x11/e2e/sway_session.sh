#!/usr/bin/env bash
# The real kivo on sway (run under scripts/sway-run.sh): the clock goes into
# sway's own title bar, drawn by sway, and the program's title is never
# touched. sway 1.7 does not report a window's title format, so what the
# title bar shows is compared as pixels: the decorated window's title bar
# against that of a window whose own title is the text the bar must show,
# alone on a workspace of the same size (same place, same colours). That
# window's app_id is on the window list, so Kivo leaves it alone: the
# excluded app_id is checked on the way. The clock is faked to a fixed
# minute. Then: the program's own retitle followed live, a second start
# bringing up the hidden main window, and the title bar as it was after
# SIGTERM.
set -euo pipefail
[[ -n ${KIVO_BIN:-} && -x $KIVO_BIN ]] || { echo "FAIL: KIVO_BIN is not an executable" >&2; exit 1; }
[[ -n ${SWAYSOCK:-} ]] || { echo "FAIL: no SWAYSOCK (run under scripts/sway-run.sh)" >&2; exit 1; }
source "$(dirname "$0")/../../../scripts/x11-lib.sh"
work=$(mktemp -d "$TMPDIR/sway-e2e.XXXXXX")
pids=()
trap 'for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done' EXIT
fail() {
  echo "FAIL [sway_session]: $*" >&2
  [[ -s $work/kivo.log ]] && { echo "--- kivo's output:" >&2; tail -n 30 "$work/kivo.log" >&2; }
  exit 1
}
export LANGUAGE=ja TZ=UTC
mkdir -p "$XDG_CONFIG_HOME/kivo"
printf '[Main]\nWindowList0=kivo-reference\n' >"$XDG_CONFIG_HOME/kivo/settings.ini"

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
# terminal APP_ID TITLE: a foot window whose title each line written to
# $work/APP_ID.fifo sets (the OSC 2 escape), as the program's own.
terminal() {
  mkfifo "$work/$1.fifo"
  foot -a "$1" -T "$2" sh -c 'exec 3<>"$1"; while read -r l <&3; do printf "\033]2;%s\007" "$l"; done' \
    sh "$work/$1.fifo" >/dev/null 2>&1 &
  pids+=($!)
  mapped() { [[ $(field "$1" name) == "$2" ]]; }
  until_ok 15 mapped "$1" "$2" || fail "foot '$1' did not map"
}
retitle() { printf '%s\n' "$2" >"$work/$1.fifo"; }
# bar NAME: the title bar of the focused window alone on its workspace.
bar() { grim -g "0,0 1280x26" "$work/$1.png"; }
same() { cmp -s "$work/$1.png" "$work/$2.png"; }
# shows TEXT: the editor's title bar (workspace 1) shows what the reference
# window's does when its own title is TEXT (workspace 2).
shows() {
  swaymsg workspace 2 >/dev/null && retitle kivo-reference "$1"
  local ref=ref-$RANDOM
  ref_ready() { [[ $(field kivo-reference name) == "$1" ]]; }
  until_ok 10 ref_ready "$1" || fail "the reference window did not take '$1'"
  until_ok 5 bar "$ref" || fail "grim failed"
  swaymsg workspace 1 >/dev/null
  looks() { bar editor && same editor "$ref"; }
  until_ok 10 looks
}

terminal editor 'Editor'
swaymsg workspace 2 >/dev/null
terminal kivo-reference 'reference'
swaymsg workspace 1 >/dev/null
bar plain

faked_clock '2026-12-07 10:30:00' || fail "no faked clock"
"${FAKED_CLOCK[@]}" "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
kivo=$!
pids+=($kivo)
shows '10:30,Dec,7 = Editor' || fail "the title bar does not show '10:30,Dec,7 = Editor'"
[[ $(field editor name) == 'Editor' ]] || fail "the program's own title changed: $(field editor name)"

# The program's own retitle shows at once, the clock kept before it.
retitle editor 'メモ帳 🕐 notes'
shows '10:30,Dec,7 = メモ帳 🕐 notes' || fail "the retitle did not show with the clock"

# A second start ends and brings up the running instance's main window.
timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || fail "the second start failed ($?)"
main_shown() { [[ $(field kivo visible) == True ]]; }
until_ok 10 main_shown || fail "the main window did not come up"
kill -0 "$kivo" || fail "kivo ended"

# SIGTERM: every title bar as the program's own title has it.
swaymsg '[app_id="editor"] focus' >/dev/null
kill "$kivo"
gone() { ! kill -0 "$kivo" 2>/dev/null; }
until_ok 10 gone || fail "kivo did not end on SIGTERM"
shows 'メモ帳 🕐 notes' || fail "the clock stayed in the title bar after kivo ended"
echo "[sway_session] ok"
