#!/usr/bin/env bash
# The daily alarm at its minute: the sound, then the box titled
# "Alarm - Kivo"; Esc answers Cancel, and the title bar flashes afterwards.
# The alarm file is written by another program while kivo runs (it is read
# at every check).
source "$(dirname "$0")/lib.sh"
make_wav "$work/alarm.wav"
ini_set Main Alarm=1 AlarmTime=06:18 'AlarmMessage=起きて 🎉 wake up'

start_xterm ed editor 'Editor'
activate "$ed"
watch_root
start_kivo_at '2026-12-07 06:17:50'
wait_title "$ed" '6:17,Dec,7 = Editor' 20
ini_set Main "WaveFilePath2=$work/alarm.wav"

box=
find_box() { box=$(xdotool search --onlyvisible --name '^Alarm - Kivo$' 2>/dev/null | head -n 1); [[ -n $box ]]; }
wait_until 25 "the alarm box" find_box
wait_title "$ed" '6:18,Dec,7 = Editor'
wait_until 10 "one play of the alarm file" plays_are 1
wait_until 10 "the alarm box in front" is_active "$box"
root_mark=$(log_lines "$work/root.xev")

xdotool key Escape # the box has the focus; XTEST, as a user
box_gone() { ! xwininfo -id "$box" 2>/dev/null | grep -q IsViewable; }
wait_until 10 "the alarm box to close on Esc" box_gone
wait_until 10 "the flash after the box" has_override_map_after "$root_mark"
kivo_alive
note "ok"
