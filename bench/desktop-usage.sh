#!/usr/bin/env bash
# The program's steady tick on sway, i3 and X11 (openbox), side by side in
# one run: processor time per minute at the 250 ms tick, requests (IPC) or
# round trips (X11) per steady tick, resident memory. Each runs
# build-bench/probes/desktop_tick (make bench-build) on a private headless session with
# one terminal in front that keeps its title.
#
#   bench/desktop-usage.sh [SECONDS]    (default 20)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-20}

if [[ ${1:-} == --in-session ]]; then
  # Inside a session: a terminal in front (focused, so the measured ticks
  # all see the same window), then the measurement.
  seconds=$2 bin=$3 kivo=$4
  source scripts/x11-lib.sh
  if [[ -n ${SWAYSOCK:-} ]]; then
    foot -a kivo-bench -T Editor sleep 600 2>/dev/null &
    front() {
      swaymsg -r -t get_tree | python3 -c 'import json, sys
def walk(n):
    return (n.get("focused") and n.get("app_id") == "kivo-bench") or any(
        walk(c) for c in n.get("nodes", []) + n.get("floating_nodes", []))
sys.exit(0 if walk(json.load(sys.stdin)) else 1)'
    }
  else
    xterm -name kivo-bench -T Editor -e sleep 600 &
    front() {
      local w
      w=$(xdotool search --classname '^kivo-bench$' 2>/dev/null | head -n 1)
      [[ -n $w ]] && is_active "$w"
    }
  fi
  terminal=$!
  until_ok 20 front || { echo "desktop-usage: no terminal came up" >&2; exit 1; }
  "$bin" "$seconds"
  # The real program beside it, with its Qt windows, its settings its own.
  export XDG_CONFIG_HOME=${TMPDIR:-/tmp}/kivo-bench-config.$$
  mkdir -p "$XDG_CONFIG_HOME/kivo"
  printf '[Main]\nCheckInterval=250\n' >"$XDG_CONFIG_HOME/kivo/settings.ini"
  "$kivo" >/dev/null 2>&1 &
  pid=$!
  sleep 4 # past start-up
  ns() { cat /proc/"$1"/task/*/schedstat | awk '{ n += $1 } END { printf "%d", n }'; }
  before=$(ns "$pid")
  sleep "$seconds"
  after=$(ns "$pid")
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  awk -v d=$((after - before)) -v s="$seconds" -v r="$rss" 'BEGIN {
    printf "  kivo itself: %.1f ms of processor time per minute at 250 ms, %.1f MB resident\n",
      d / 1e6 * 60 / s, r / 1024 }'
  kill "$terminal" 2>/dev/null || true
  exit 0
fi

bin=
for candidate in build-bench/probes/desktop_tick build/probes/desktop_tick; do
  [[ -x $candidate ]] && { bin=$PWD/$candidate; break; }
done
[[ -n $bin ]] || { echo "desktop-usage: no desktop_tick: make bench-build first" >&2; exit 2; }
kivo=
for candidate in build-bench/kivo build/kivo; do
  [[ -x $candidate ]] && { kivo=$PWD/$candidate; break; }
done
[[ -n $kivo ]] || { echo "desktop-usage: no kivo: make bench-build first" >&2; exit 2; }
me=$PWD/bench/desktop-usage.sh
scripts/sway-run.sh -- bash "$me" --in-session "$seconds" "$bin" "$kivo"
scripts/x11-run.sh --i3 -- bash "$me" --in-session "$seconds" "$bin" "$kivo"
scripts/x11-run.sh --wm -- bash "$me" --in-session "$seconds" "$bin" "$kivo"
