#!/usr/bin/env bash
# A window whose own title merely holds the clock's text keeps that title
# whole: one clock in front, and exactly its own title after it leaves the
# front and after kivo ends.
source "$(dirname "$0")/lib.sh"

CLOCK='6:1[78],Dec,7'  # the minute may turn while the test runs
start_xterm a alpha 'Editor'
start_xterm b beta 'Other'
activate "$a"
start_kivo_at '2026-12-07 06:17:00'
wait_title_re "$a" "^${CLOCK} = Editor\$" 20

retitle alpha 'Meeting at 6:17,Dec,7 sharp'
wait_title_re "$a" "^${CLOCK} = Meeting at 6:17,Dec,7 sharp\$"
activate "$b"
wait_title_re "$b" "^${CLOCK} = Other\$"
wait_title "$a" 'Meeting at 6:17,Dec,7 sharp'

activate "$a"
wait_title_re "$a" "^${CLOCK} = Meeting at 6:17,Dec,7 sharp\$"
retitle alpha '6:17,Dec,7'
wait_title_re "$a" "^${CLOCK} = 6:17,Dec,7\$"
stop_kivo
wait_title "$a" '6:17,Dec,7'
wait_title "$b" 'Other'
note "ok"
