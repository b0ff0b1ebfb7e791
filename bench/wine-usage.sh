#!/usr/bin/env bash
# kivo.exe beside the floor of any Win32 program under Wine: the anonymous
# memory and processor time of kivo.exe (250 ms tick, one window in front
# that keeps its title) and of bare_win32.exe (one window, a 250 ms timer
# that does nothing), both running at once in the same Wine prefix, with
# one wineserver, on one private Xvfb display.
#
#   bench/wine-usage.sh [SECONDS]     (default 60; make win32 first)
#
# Both figures come from the Linux side, where each Windows process is one
# Linux process: anonymous memory is RssAnon of /proc/PID/status once the
# clock is in the window; processor time is utime + stime of /proc/PID/stat
# over the stretch, the quantity GetProcessTimes gives (user + kernel time
# of the process), with Wine's own work inside the process included and
# the wineserver's left out. kivo_usage.exe adds what GetProcessTimes says
# about kivo.exe from the Windows side.
set -euo pipefail
cd "$(dirname "$0")/.."
usage_exe=build-win32/bench/usage/kivo_usage.exe
bare_exe=build-win32/bench/usage/bare_win32.exe
for exe in $usage_exe $bare_exe build-win32/kivo.exe; do
  [[ -f $exe ]] || { echo "wine-usage: no $exe (make win32 builds it)" >&2; exit 2; }
done
seconds=${1:-60}
prefix=$PWD/build-win32/wineprefix-bench
server=${KIVO_WINESERVER:-/usr/lib/wine/wineserver}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
KIVO_WINEPREFIX=$prefix bash scripts/wine-run.sh --init build-win32

# Both programs on one display and one wineserver: wine-run.sh lets runs on
# a display the caller keeps share the prefix. The bare program outlives
# the measured stretch; the wineserver is waited for before the display goes.
KIVO_PREFIX=$prefix KIVO_SECONDS=$seconds KIVO_WS=$server scripts/x11-run.sh -- bash -c '
  export KIVO_WINE_DISPLAY=$DISPLAY KIVO_WINEPREFIX=$KIVO_PREFIX
  bash scripts/wine-run.sh "$1" $((KIVO_SECONDS + 60)) >/dev/null 2>&1 &
  bash scripts/wine-run.sh "$0" "$KIVO_SECONDS"; rc=$?
  WINEPREFIX=$KIVO_PREFIX "$KIVO_WS" -k; WINEPREFIX=$KIVO_PREFIX "$KIVO_WS" -w; exit $rc' \
  "$usage_exe" "$bare_exe" >"$work/out" 2>&1 &
runner=$!
for _ in $(seq 900); do
  grep -q '^measuring' "$work/out" && break
  kill -0 $runner 2>/dev/null || break
  sleep 0.1
done
grep -q '^measuring' "$work/out" || {
  cat "$work/out" >&2; echo "wine-usage: kivo_usage.exe did not start measuring" >&2; exit 1; }

# The Linux process of a Windows program of this prefix.
pid_of() {
  local p
  for p in $(pgrep -f "$1" || true); do
    tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" || continue
    tr '\0' ' ' <"/proc/$p/cmdline" | grep -q 'kivo_usage\|wine-run' && continue
    echo "$p"; return
  done
}
kivo=$(pid_of 'kivo\.exe')
bare=$(pid_of 'bare_win32\.exe')
[[ -n $kivo && -n $bare ]] || { echo "wine-usage: kivo.exe or bare_win32.exe not found in /proc" >&2; exit 1; }
ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
anon() { awk '/^RssAnon/ {print $2}' "/proc/$1/status"; }
kivo_anon=$(anon "$kivo") bare_anon=$(anon "$bare")
kivo_before=$(ticks "$kivo") bare_before=$(ticks "$bare")
start=$(date +%s.%N)
# The stretch is kivo_usage.exe's; sample until just before it ends.
while kill -0 $runner 2>/dev/null && ! grep -q '^kivo.exe' "$work/out"; do
  kivo_after=$(ticks "$kivo" 2>/dev/null || echo "$kivo_after")
  bare_after=$(ticks "$bare" 2>/dev/null || echo "$bare_after")
  end=$(date +%s.%N)
  sleep 0.5
done
wait $runner || { cat "$work/out" >&2; echo "wine-usage: the run failed" >&2; exit 1; }
grep -v '^measuring' "$work/out" | grep -v '^wine-run' || true
awk -v hz="$(getconf CLK_TCK)" -v s="$start" -v e="$end" \
    -v ka="$kivo_anon" -v ba="$bare_anon" \
    -v kt="$((kivo_after - kivo_before))" -v bt="$((bare_after - bare_before))" 'BEGIN {
  wall = e - s
  printf "Linux side, the same %.0f s, both in one Wine prefix:\n", wall
  printf "  anonymous memory after start-up: kivo.exe %.1f MB, bare_win32.exe %.1f MB: %+.1f MB (target: at most +1.5 MB)\n",
         ka / 1024, ba / 1024, (ka - ba) / 1024
  printf "  processor time per minute (user + kernel): kivo.exe %.0f ms, bare_win32.exe %.0f ms\n",
         kt / hz / wall * 60000, bt / hz / wall * 60000 }'
