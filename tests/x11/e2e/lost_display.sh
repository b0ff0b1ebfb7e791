#!/usr/bin/env bash
# When its X server goes away, Kivo ends with status 1 and one line of its
# own on stderr, "kivo: lost the X display :N", never the toolkit's words.
# Kivo runs on a second private Xvfb, which the test kills.
source "$(dirname "$0")/lib.sh"

mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 800x600x24 -nolisten tcp 3>"$work/displayfd" \
  >"$work/xvfb.log" 2>&1 &
xvfb=$!
pids+=("$xvfb")
number=
read -r -t 30 number <"$work/displayfd" || fail "the second Xvfb did not start"
doomed=":$number"

DISPLAY=$doomed "$KIVO_BIN" >"$work/kivo.out" 2>"$work/kivo.err" &
KIVO_PID=$!
# Up and running: its (hidden) main window is there.
started() {
  kill -0 "$KIVO_PID" 2>/dev/null ||
    fail "kivo ended before it came up: $(cat "$work/kivo.err"); the X server $(
      still_ours "$xvfb" && echo "runs" || echo "has ended"), its log: $(tail -n 5 "$work/xvfb.log")"
  LAST_SEEN="stderr: $(cat "$work/kivo.err")"
  DISPLAY=$doomed xdotool search --class '^ThunderRT5Form$' >/dev/null 2>&1
}
wait_until 20 "kivo to come up on the display $doomed" started
kivo_alive

kill "$xvfb"
gone() { ! kill -0 "$KIVO_PID" 2>/dev/null; }
wait_until 20 "kivo to end once its display went away" gone
status=0
wait "$KIVO_PID" || status=$?
KIVO_PID=
stderr=$(cat "$work/kivo.err")
[[ $status -eq 1 ]] || fail "kivo ended with status $status, not 1; stderr: $stderr"
grep -qx "kivo: lost the X display $doomed" "$work/kivo.err" ||
  fail "no 'kivo: lost the X display $doomed' on stderr: $stderr"
(($(grep -c 'lost the X display' "$work/kivo.err") == 1)) || fail "said more than once: $stderr"
! grep -qi 'X11 connection\|XIO\|X server' "$work/kivo.err" || fail "the toolkit's words on stderr: $stderr"
note "ok"
