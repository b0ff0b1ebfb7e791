#!/usr/bin/env bash
# The full hour: the cuckoo count (fifteen strokes at 15:00), the title-bar
# flash and the shake, with the signal settings written into settings.ini by
# another program while kivo runs (they are read at the hour).
source "$(dirname "$0")/lib.sh"
make_wav "$work/chime.WAV"

start_xterm ed editor 'Editor'
activate "$ed"
xev -id "$ed" -event structure >"$work/ed.xev" 2>/dev/null &
pids+=($!)
watch_root
start_kivo_at '2026-12-07 14:59:50'
wait_title "$ed" '14:59,Dec,7 = Editor' 20
ini_set Main TimePipo=1 PipoHato=1 "WaveFilePath1=$work/chime.WAV" \
  TimeFuru=1 TimeFuruCount=2 VibrateWidth=150
read -r x0 y0 < <(abs_pos "$ed")
root_mark=$(log_lines "$work/root.xev")
ed_mark=$(log_lines "$work/ed.xev")
[[ $(plays) -eq 0 ]] || fail "sound before the hour: $(plays)"

wait_title "$ed" '15:00,Dec,7 = Editor' 25
wait_until 15 "fifteen strokes of the cuckoo count" plays_are 15
wait_until 10 "a highlight (override-redirect window) over the title" has_override_map_after "$root_mark"

# The shake: the window is moved around its place and ends dy pixels higher.
moves() {
  tail -n +"$((ed_mark + 1))" "$work/ed.xev" |
    awk 'BEGIN { RS = "" } /^ConfigureNotify/ && /synthetic YES/ { match($0, /\([-0-9]+,[-0-9]+\)/); p = substr($0, RSTART, RLENGTH); if (!(p in seen)) { seen[p] = 1; n++ } } END { print n + 0 }'
}
shaken() { LAST_SEEN="$(moves) distinct positions"; (($(moves) >= 3)); }
wait_until 10 "the window to be shaken" shaken
moved_up() { read -r x y < <(abs_pos "$ed"); LAST_SEEN="at $x,$y (was $x0,$y0)"; ((x == x0 && y < y0)); }
wait_until 10 "the shake to end with the window a little higher" moved_up
kivo_alive
[[ $(plays) -eq 15 ]] || fail "$(plays) strokes, not 15"
note "ok: 15 strokes, $(moves) shake positions, $(override_maps_after "$root_mark") highlight maps"
