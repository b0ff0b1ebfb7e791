#!/usr/bin/env bash
# An instance whose selection another client takes after all hands over:
# it ends, and the window in front gets its own title back first.
source "$(dirname "$0")/lib.sh"
[[ -n ${KIVO_TAKE_SELECTION:-} ]] || fail "KIVO_TAKE_SELECTION is not set"

start_xterm ed editor 'Editor'
activate "$ed"
start_kivo
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20

"$KIVO_TAKE_SELECTION" >"$work/taken.log" &
pids+=($!)
gone() { ! kill -0 "$KIVO_PID" 2>/dev/null; }
wait_until 10 "kivo to end once its selection was taken" gone
status=0
wait "$KIVO_PID" || status=$?
KIVO_PID=
[[ $status -eq 0 ]] || fail "kivo ended with status $status"
grep -qx taken "$work/taken.log" || fail "the selection was never taken"
wait_title "$ed" 'Editor'
note "ok"
