#!/usr/bin/env bash
# kivo.exe's processor time per minute (250 ms tick, a steady window in
# front) and its memory after start-up, under 64-bit Wine on an Xvfb display
# of its own, in a Wine prefix of its own.
#
#   bench/kivo-usage.sh [SECONDS]     (default 60; make windows first)
#
# kivo_usage.exe starts kivo.exe and prints what GetProcessTimes and
# GetProcessMemoryInfo say. Wine answers both with 0 for another process, so
# this script also reads the kivo.exe process from the Linux side (/proc):
# its processor time over the same stretch and its resident memory. Those
# figures include Wine's own work inside the process (the X11 driver, its
# libraries), not the wineserver's.
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build-win32/bench/usage/kivo_usage.exe
[[ -f $exe ]] || { echo "kivo-usage: no $exe (make windows builds it)" >&2; exit 2; }
seconds=${1:-60}
prefix=$PWD/build-win32/wineprefix-bench
out=$(mktemp)
trap 'rm -f "$out"' EXIT

KIVO_WINE_XVFB=1 KIVO_WINEPREFIX=$prefix bash scripts/wine-run.sh "$exe" "$seconds" >"$out" 2>&1 &
runner=$!
for _ in $(seq 600); do
  grep -q '^measuring' "$out" && break
  kill -0 $runner 2>/dev/null || break
  sleep 0.1
done
grep -q '^measuring' "$out" || { cat "$out" >&2; echo "kivo-usage: kivo_usage.exe did not start measuring" >&2; exit 1; }

# The kivo.exe of this prefix (not one of another run or another prefix).
pid=
for p in $(pgrep -f 'kivo\.exe' || true); do
  tr '\0' '\n' <"/proc/$p/environ" 2>/dev/null | grep -qx "WINEPREFIX=$prefix" || continue
  tr '\0' ' ' <"/proc/$p/cmdline" | grep -q 'kivo_usage' && continue
  pid=$p
done
ticks() { awk '{print $14 + $15}' "/proc/$pid/stat"; }
if [[ -n $pid ]]; then
  hz=$(getconf CLK_TCK)
  before=$(ticks)
  rss=$(awk '/^VmRSS|^RssAnon|^RssFile/ {printf "%s %s KiB, ", $1, $2}' "/proc/$pid/status")
  start=$(date +%s.%N)
  # The stretch is kivo_usage.exe's; sample just before it ends.
  while kill -0 $runner 2>/dev/null && grep -q '^measuring' "$out" && ! grep -q '^kivo.exe' "$out"; do
    after=$(ticks 2>/dev/null || echo "$after")
    end=$(date +%s.%N)
    sleep 0.5
  done
fi
wait $runner || true
cat "$out" | grep -v '^measuring'
if [[ -n $pid ]]; then
  awk -v t="$((after - before))" -v hz="$hz" -v s="$start" -v e="$end" 'BEGIN {
    cpu = t / hz; wall = e - s;
    printf "  Linux side (/proc, Wine included): %.0f ms processor time per minute over %.0f s\n",
           cpu / wall * 60000, wall }'
  echo "  Linux side after start-up: ${rss%, }"
else
  echo "kivo-usage: the kivo.exe process was not found in /proc" >&2
fi
