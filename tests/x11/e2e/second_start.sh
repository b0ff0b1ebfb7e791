#!/usr/bin/env bash
# A second start hands over: it ends at once, and the running instance's
# hidden main window comes to the front (and is decorated like any other).
# A start while that window is the decorated front window just ends.
source "$(dirname "$0")/lib.sh"
main_title='Kivo for Windows NT/95'

start_xterm ed editor 'Editor'
activate "$ed"
start_kivo
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
main=
find_main() {
  for w in $(kivo_windows); do
    [[ $(name_of "$w") == "$main_title" ]] && { main=$w; return 0; }
  done
  return 1
}
wait_until 10 "a ThunderRT5Form window titled '$main_title'" find_main
xwininfo -id "$main" | grep -q 'IsViewable' && fail "the main window is visible after start-up"

status=0
timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the second start ended with status $status (124: it did not end)"
wait_until 10 "the main window to come to the front" is_active "$main"
wait_title_re "$main" "^${CLOCK_RE} = $(regex_quote "$main_title")\$"
wait_title "$ed" 'Editor'
kivo_alive

# Now the main window's caption carries the clock: nothing to find.
status=0
timeout 15 "$KIVO_BIN" >>"$work/kivo.log" 2>&1 || status=$?
[[ $status -eq 0 ]] || fail "the third start ended with status $status"
kivo_alive
[[ ! -e $INI ]] || fail "settings.ini was written: $(cat "$INI")"
note "ok"
