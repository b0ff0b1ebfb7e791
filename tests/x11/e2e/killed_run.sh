#!/usr/bin/env bash
# A run killed outright (kill -9: no chance to give titles back) leaves the
# front window with its clock. The next start gives that window its own
# title back before its first clock, so the clock never doubles, and once it
# ends normally the window has its own title. A window that retitled itself
# while no kivo ran keeps the title it chose.
source "$(dirname "$0")/lib.sh"

# kill_kivo: SIGKILL, and kivo gone.
kill_kivo() {
  kivo_alive
  kill -KILL "$KIVO_PID"
  wait "$KIVO_PID" 2>/dev/null || true
  KIVO_PID=
}
# record WINDOW: the decoration record kivo keeps on the window, as xprop
# shows it; nothing when it has none.
record() { xprop -notype -id "$1" _KIVO_DECORATION 2>/dev/null | sed -n 's/^_KIVO_DECORATION = //p'; }
no_record() { LAST_SEEN="record: $(record "$1")"; [[ -z $(record "$1") ]]; }
# one_clock WINDOW TITLE: the title is TITLE; fails the test at once when
# the title ever shows two clocks.
one_clock() {
  local t
  t=$(name_of "$1")
  LAST_SEEN=$t
  [[ $t =~ ${CLOCK_RE}.*${CLOCK_RE} ]] && fail "window $1 shows two clocks: '$t'"
  [[ $t == "$2" ]] || { kivo_alive; return 1; }
}

start_xterm ed editor 'Editor'
start_xterm nt notes 'Notes'

# A run killed while the notes window is in front; the window retitles
# itself before kivo starts again.
activate "$nt"
start_kivo_at '2026-12-07 06:17:10'
wait_title "$nt" '6:17,Dec,7 = Notes' 20
[[ $(record "$nt") == '"6:17,Dec,7 = Notes", "Notes"' ]] || fail "the record on the notes window: $(record "$nt")"
kill_kivo
title_is "$nt" '6:17,Dec,7 = Notes' || fail "the clock left the notes window without kivo: $LAST_SEEN"
retitle notes 'Notes renamed'
wait_title "$nt" 'Notes renamed'

# The next run keeps that title and drops the record; then it is killed in
# turn while the editor is in front.
activate "$ed"
start_kivo_at '2026-12-07 06:17:20'
wait_title "$ed" '6:17,Dec,7 = Editor' 20
wait_until 10 "the notes window's record to go" no_record "$nt"
title_is "$nt" 'Notes renamed' || fail "the notes window lost its own title: $LAST_SEEN"
kill_kivo
title_is "$ed" '6:17,Dec,7 = Editor' || fail "the clock left the editor without kivo: $LAST_SEEN"

# Hours later: the killed run's clock goes before the new one comes.
start_kivo_at '2026-12-07 16:52:10'
wait_until 20 "the editor to show one clock, the new one" one_clock "$ed" '16:52,Dec,7 = Editor'
names_agree "$ed"
stop_kivo
wait_title "$ed" 'Editor'
names_agree "$ed"
no_record "$ed" || fail "a record stayed on the editor after a normal end ($LAST_SEEN)"
title_is "$nt" 'Notes renamed' || fail "the notes window lost its own title: $LAST_SEEN"
note "ok"
