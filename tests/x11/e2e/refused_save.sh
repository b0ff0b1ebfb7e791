#!/usr/bin/env bash
# A settings file Kivo cannot read: the box that says so comes up without
# holding the clock back, and OK in the main window, whose save the file
# refuses, says what was not saved and goes on: the clock keeps running and
# the file stays as it was.
source "$(dirname "$0")/lib.sh"

corrupt_ini
cp "$INI" "$work/before.ini"
start_xterm ed editor 'Editor'
activate "$ed"
start_kivo

# The problem box is up, and meanwhile the clock runs: in the box's own
# title while it is in front, and in the editor's when that is.
wait_box
problem=$BOX
wait_title_re "$problem" "^${CLOCK_RE} = Kivo\$" 10
activate "$ed"
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 10
box_gone "$problem" && fail "the problem box went away by itself"
answer_box "$problem"

# A second start brings up the main window; Return is its OK.
status=0
timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the second start ended with status $status"
wait_main_in_front
xdotool key --clearmodifiers Return
wait_box
refused=$BOX
kivo_alive
grep -q 'run-time error' "$work/kivo.log" && fail "kivo reported a run-time error: $(cat "$work/kivo.log")"

# The clock goes on while the box is up and after it.
activate "$ed"
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 10
answer_box "$refused"
kivo_alive
activate "$ed"
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 10
cmp -s "$INI" "$work/before.ini" || fail "the unusable settings file was changed: $(cat "$INI")"
stop_kivo
wait_title "$ed" 'Editor'
note "ok"
