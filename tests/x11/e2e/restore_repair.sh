#!/usr/bin/env bash
# A window that leaves the front gets its own title back; a window in front
# that retitles itself (the xterm title escape, or Qt's setWindowTitle) is
# decorated again with its new title, and the clock never piles up.
source "$(dirname "$0")/lib.sh"

start_xterm a alpha 'Alpha notes'
start_xterm b beta 'Beta shell'
activate "$a"
start_kivo
wait_title_re "$a" "^${CLOCK_RE} = Alpha notes\$" 20

activate "$b"
wait_title_re "$b" "^${CLOCK_RE} = Beta shell\$"
wait_title "$a" 'Alpha notes'
names_agree "$a"

# The front window changes its own title: repaired on one of the next ticks.
retitle beta 'Beta renamed'
wait_title_re "$b" "^${CLOCK_RE} = Beta renamed\$"
names_agree "$b"
# Back and forth: each window shows one clock and its own title.
activate "$a"
wait_title_re "$a" "^${CLOCK_RE} = Alpha notes\$"
wait_title "$b" 'Beta renamed'
names_agree "$b"

if [[ -n ${KIVO_QT_CLIENT:-} ]]; then
  start_qt_client qt qtc 'Qt window'
  activate "$qt"
  wait_title_re "$qt" "^${CLOCK_RE} = Qt window\$"
  wait_title "$a" 'Alpha notes'
  retitle qtc 'Qt window 2'
  wait_title_re "$qt" "^${CLOCK_RE} = Qt window 2\$"
  names_agree "$qt"
  activate "$b"
  wait_title "$qt" 'Qt window 2'
  names_agree "$qt"
fi
kivo_alive
note "ok"
