#!/usr/bin/env bash
# i3 restarted in place (its "restart" command, on a key in i3's default
# configuration) closes its IPC socket and opens it again: Kivo carries on.
# The clock stays in the title bar, follows a retitle made after the
# restart (which only a window system that hears i3's events again can
# see), and Kivo's end still gives the bar back. Under i3 only.
source "$(dirname "$0")/lib.sh"
[[ -n ${I3SOCK:-} ]] || fail "no I3SOCK: run under scripts/x11-run.sh --i3"

start_xterm a alpha 'Alpha notes'
activate "$a"
start_kivo
wait_title_re "$a" "^${CLOCK_RE} = Alpha notes\$" 20

i3-msg restart >/dev/null 2>&1 || true
answers() { i3-msg -t get_version >/dev/null 2>&1; }
wait_until 20 "i3 to answer again after its restart" answers
retitle alpha 'Alpha renamed'
wait_title_re "$a" "^${CLOCK_RE} = Alpha renamed\$" 20
kivo_alive
# Twice in a row: the new connection is watched as the first was.
i3-msg restart >/dev/null 2>&1 || true
wait_until 20 "i3 to answer again after its second restart" answers
retitle alpha 'Alpha again'
wait_title_re "$a" "^${CLOCK_RE} = Alpha again\$" 20
kivo_alive

stop_kivo
wait_title "$a" 'Alpha again'
note "ok"
