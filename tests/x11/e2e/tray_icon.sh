#!/usr/bin/env bash
# The tray icon on a desktop with an XEmbed system tray (trayer), with Kivo
# speaking English: the icon docks, a double-click brings up Kivo's window,
# its English access keys work, Exit in the icon's menu ends Kivo, and the
# icon goes with it.
source "$(dirname "$0")/lib.sh"
export LANGUAGE=en_GB
command -v trayer >/dev/null || fail "no trayer (scripts/deps.sh installs it)"
trayer --edge top --align right --widthtype request --height 24 --SetDockType true \
  >"$work/trayer.log" 2>&1 &
pids+=($!)
tray=
tray_up() { tray=$(xdotool search --classname '^panel$' 2>/dev/null | head -n 1); [[ -n $tray ]]; }
wait_until 10 "the tray" tray_up

start_xterm ed editor 'Editor'
activate "$ed"
start_kivo
wait_title_re "$ed" "^${CLOCK_RE} = Editor\$" 20
icon=
in_tray() { xwininfo -tree -id "$tray" 2>/dev/null | grep -q "$(printf '0x%x' "$1")"; }
docked() {
  for icon in $(xdotool search --class '^Kivo$' 2>/dev/null); do in_tray "$icon" && return 0; done
  return 1
}
wait_until 10 "Kivo's icon in the tray" docked

xdotool mousemove --window "$icon" 10 10 click --repeat 2 --delay 100 1
wait_main_in_front
# The window speaks English: its About button's access key is A. The key
# is pressed again now and then: the window may be active before it has
# the keyboard.
about=
asked=0
about_box() {
  about=$(xdotool search --all --pid "$KIVO_PID" --onlyvisible --name '(^| )About Kivo$' 2>/dev/null | head -n 1)
  [[ -n $about ]] && return 0
  local now
  now=$(date +%s)
  ((now - asked >= 2)) || return 1
  asked=$now
  xdotool key --clearmodifiers alt+a
  return 1
}
wait_until 10 "the box titled 'About Kivo'" about_box
answer_box "$about"

# The menu's Exit (access key X) ends Kivo, which takes its icon away and
# gives the editor its own title back.
activate "$ed"
menu_up() { xdotool search --all --pid "$KIVO_PID" --onlyvisible --class '^Kivo$' 2>/dev/null | grep -qv "^$icon\$"; }
asked=0
open_menu() {
  menu_up && return 0
  # A right-click now and then: one while the menu opens would close it.
  local now
  now=$(date +%s)
  ((now - asked >= 2)) || return 1
  asked=$now
  xdotool mousemove --window "$icon" 10 10 click 3
  return 1
}
wait_until 10 "the icon's menu" open_menu
xdotool key x
kivo_ended_within 10
[[ $KIVO_STATUS -eq 0 ]] || fail "kivo ended with status $KIVO_STATUS"
wait_title "$ed" 'Editor'
gone() { ! in_tray "$icon"; }
wait_until 10 "the icon to leave the tray" gone
note "ok"
