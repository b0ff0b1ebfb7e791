#!/usr/bin/env bash
# The fatal path: a run-time error no handler traps (raised for the test
# through KIVO_TEST_UNTRAPPED_ERROR once the clock is up) gives the window
# its title back, shows the fatal box and ends Kivo with status 1 when the
# box is answered. While the box is up, a new start starts normally, and a
# termination signal ends the box too.
source "$(dirname "$0")/lib.sh"
export KIVO_TEST_UNTRAPPED_ERROR=$work/raise

start_xterm ed editor 'Editor'
activate "$ed"

# 1. Answered: title back, box, status 1.
start_kivo
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
touch "$KIVO_TEST_UNTRAPPED_ERROR"
wait_title "$ed" 'Editor' 10
wait_box
grep -q "run-time error 5: Invalid procedure call or argument" "$work/kivo.log" ||
  fail "no run-time error on stderr"
answer_box "$BOX"
kivo_ended_within 10
[[ $KIVO_STATUS -eq 1 ]] || fail "exit status $KIVO_STATUS after the fatal box, not 1"
[[ $(name_of "$ed") == Editor ]] || fail "the editor's title is '$(name_of "$ed")'"

# 2. While the box is up a new start is a first start, and SIGTERM ends the box.
rm -f "$KIVO_TEST_UNTRAPPED_ERROR"
activate "$ed"
start_kivo
dying=$KIVO_PID
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
touch "$KIVO_TEST_UNTRAPPED_ERROR"
wait_title "$ed" 'Editor' 10
wait_box "$dying"
fatal=$BOX
env -u KIVO_TEST_UNTRAPPED_ERROR "$KIVO_BIN" >>"$work/kivo2.log" 2>&1 &
next=$!
pids+=("$next")
activate "$ed"
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
kill -0 "$next" 2>/dev/null || fail "the new start ended at once: $(cat "$work/kivo2.log")"
box_gone "$fatal" && fail "the fatal box went away by itself"
kill -TERM "$dying"
kivo_ended_within 10
[[ $KIVO_STATUS -eq 1 ]] || fail "exit status $KIVO_STATUS after SIGTERM at the fatal box, not 1"
KIVO_PID=$next
stop_kivo
wait_title "$ed" 'Editor' 5
note "ok"
