#!/usr/bin/env bash
# A window whose class is on the window list keeps its title, in front and
# after; a class that differs only in letter case is decorated.
source "$(dirname "$0")/lib.sh"
ini_set Main 'WindowList0=KivoSkip'

start_xterm plain plain 'Plain'
start_xterm skip skip 'Skipped' KivoSkip
start_xterm lower lower 'Lower case' kivoskip
activate "$plain"
start_kivo
wait_title_re "$plain" "^${CLOCK_RE} = Plain\$" 20

# The tick that sees the listed window in front also restores the other.
activate "$skip"
wait_title "$plain" 'Plain'
title_is "$skip" 'Skipped' || fail "listed window was written: $LAST_SEEN"
retitle skip 'Skipped 2'
wait_title "$skip" 'Skipped 2'

activate "$lower"
wait_title_re "$lower" "^${CLOCK_RE} = Lower case\$"
title_is "$skip" 'Skipped 2' || fail "listed window was written: $LAST_SEEN"
activate "$plain"
wait_title_re "$plain" "^${CLOCK_RE} = Plain\$"
wait_title "$lower" 'Lower case'
title_is "$skip" 'Skipped 2' || fail "listed window was written: $LAST_SEEN"
kivo_alive
note "ok"
