#!/usr/bin/env bash
# Two starts at the same instant (an autostart entry beside a window
# manager's autostart line) leave exactly one Kivo running, and the window
# in front never carries two clocks: not while the survivor runs once the
# other start has ended, and not after the survivor has ended too.
# PAIRS pairs (default 100) on one display.
source "$(dirname "$0")/lib.sh"
pairs=${1:-100}

start_xterm ed editor 'Editor'
xterm_pids=("${pids[@]}")

alive() { kill -0 "$1" 2>/dev/null; }
one_ended() { ! alive "$first" || ! alive "$second"; }
# The window in front carries one clock before a title without one.
one_clock() {
  local front t
  front=$(active_window)
  t=$(name_of "$front")
  LAST_SEEN="front window $front: '$t'"
  [[ $t =~ ^${CLOCK_RE}\ =\ (.*)$ ]] || return 1
  [[ ! ${BASH_REMATCH[1]} =~ $CLOCK_RE ]] || fail "two clocks in the front window's title: '$t'"
}
both_ended() { ! alive "$first" && ! alive "$second"; }

for ((pair = 1; pair <= pairs; pair++)); do
  is_active "$ed" || activate "$ed"
  "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
  first=$!
  "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
  second=$!
  pids=("${xterm_pids[@]}" "$first" "$second")
  wait_until 15 "pair $pair: one of the two starts to end" one_ended
  if alive "$first"; then survivor=$first loser=$second; else survivor=$second loser=$first; fi
  status=0
  wait "$loser" || status=$?
  [[ $status -eq 0 ]] || fail "pair $pair: the start that gave way ended with status $status"
  alive "$survivor" || fail "pair $pair: both starts ended"
  wait_until 15 "pair $pair: one clock in the front window" one_clock
  alive "$survivor" || fail "pair $pair: the survivor ended by itself"

  kill "$survivor"
  wait_until 10 "pair $pair: the survivor to end on SIGTERM" both_ended
  wait "$survivor" 2>/dev/null || true
  # A clock left behind would stay for good.
  wait_title "$ed" 'Editor'
done
note "ok: $pairs pairs, one survivor each"
