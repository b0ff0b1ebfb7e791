#!/usr/bin/env bash
# A termination signal while a box is up inside the tick (the repair box of
# an out-of-range shake width at the full hour): the tick still finishes
# after the box, writing the hour's clock, and the title must be given back
# all the same once it has.
source "$(dirname "$0")/lib.sh"

ini_set Main TimePika=0 TimeFuru=1 TimeFuruCount=2 VibrateWidth=99999
start_xterm ed editor 'Editor'
activate "$ed"
start_kivo_at '2026-12-07 14:59:56'
wait_title "$ed" '14:59,Dec,7 = Editor' 20
repair_box() {
  up=$(xdotool search --all --pid "$KIVO_PID" --onlyvisible --name 'エラー - Kivo' 2>/dev/null | head -n 1)
  [[ -n $up ]]
}
wait_until 20 "the repair box of the shake width" repair_box
kill -TERM "$KIVO_PID"
kivo_ended_within 10
wait_title "$ed" 'Editor' 5
note "ok"
