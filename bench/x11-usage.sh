#!/usr/bin/env bash
# What the Linux kivo costs on X, side by side in one run, on a private Xvfb
# with openbox (scripts/x11-run.sh) and one xterm in front that keeps its
# title:
#   - processor time per minute (every thread's, from the scheduler's
#     /proc/PID/task/*/schedstat over SECONDS, scaled to a minute) at the 50, 250 and 1000 ms ticks, and the
#     same for the shell loop that does the job the naive way:
#       while sleep 0.25; do xdotool getactivewindow set_window --name "$(date +%H:%M) title"; done
#     (the loop's bash with its children: cutime + cstime count them);
#   - per steady tick at 250 ms: X round trips under xtrace (a run of
#     replies after requests on one connection is one round trip; every
#     connection of the process counts), system calls (strace -c, every
#     thread), wakeups (context switches of every thread, from
#     /proc/PID/task/*/status) and heap allocations (the probe
#     build-bench/probes/liballoc_count.so preloaded, read by SIGUSR2);
#   - resident memory (VmRSS) after start-up, and beside it the Qt floor:
#     build-bench/probes/qt_floor, a hidden Qt Widgets window with a 250 ms
#     timer that does nothing;
#   - the machine's floor: build-bench/probes/sleep_floor, which only sleeps
#     250 ms at a time. No program woken every 250 ms costs less, so the
#     loop's time over it is the best ratio any program can reach here.
#
#   bench/x11-usage.sh [SECONDS]    (default 20; KIVO_BIN overrides the program)
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} != --on-display ]]; then
  seconds=${1:-20}
  if [[ -z ${KIVO_BIN:-} ]]; then
    for candidate in build-bench/kivo build/kivo; do
      [[ -x $candidate ]] && { KIVO_BIN=$PWD/$candidate; break; }
    done
  fi
  if [[ -z ${KIVO_BIN:-} || ! -x $KIVO_BIN ]]; then
    echo "x11-usage: no Linux kivo (build-bench/kivo or build/kivo): make bench-build first" >&2
    exit 2
  fi
  export KIVO_BIN
  export KIVO_PROBES=${KIVO_PROBES:-$PWD/build-bench/probes}
  exec bash scripts/x11-run.sh --wm -- bash "$0" --on-display "$seconds"
fi
seconds=$2

source "$(dirname "$0")/../scripts/x11-lib.sh"
private_session kivo-usage
decorated() { [[ $(name_of "$xterm_win") == *' = Steady title' ]]; }
plain() { [[ $(name_of "$xterm_win") == 'Steady title' ]]; }
hz=$(getconf CLK_TCK)
# own_ns PID: time on a processor of every thread, in nanoseconds (the
# scheduler's own count: utime and stime come in whole 10 ms ticks, too
# coarse for a program that mostly waits); all_ticks PID: utime + stime
# with the reaped children (the shell loop's are short-lived processes).
own_ns() { cat /proc/"$1"/task/*/schedstat | awk '{ n += $1 } END { printf "%d", n }'; }
all_ticks() { awk '{print $14 + $15 + $16 + $17}' "/proc/$1/stat"; }
per_minute() { awk -v t="$1" -v hz="$hz" -v s="$2" 'BEGIN { printf "%.0f", t / hz * 1000 * 60 / s }'; }
ns_per_minute() { awk -v t="$1" -v s="$2" 'BEGIN { printf "%.1f", t / 1e6 * 60 / s }'; }

xterm -name kivo-usage -T 'Steady title' -geometry 60x8 2>/dev/null &
pids+=($!)
found() { xterm_win=$(xdotool search --classname '^kivo-usage$' 2>/dev/null | head -n 1); [[ -n $xterm_win ]]; }
until_ok 10 found || { echo "x11-usage: xterm did not come up" >&2; exit 1; }
front() {
  [[ $(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | awk '{print $NF}') == 0x* ]] &&
    (($(xprop -root _NET_ACTIVE_WINDOW | awk '{print $NF}') == xterm_win)) && return 0
  xdotool windowactivate "$xterm_win" >/dev/null 2>&1 || true
  sleep 0.5
  return 1
}
until_ok 10 front || { echo "x11-usage: the xterm did not come to the front" >&2; exit 1; }

# run_kivo INTERVAL [PREFIX...]: kivo with that tick, decorating the xterm.
run_kivo() {
  local interval=$1
  shift
  printf '[Main]\nCheckInterval=%s\n' "$interval" >"$XDG_CONFIG_HOME/kivo/settings.ini"
  "$@" "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
  kivo_pid=$!
  pids+=($kivo_pid)
  until_ok 20 decorated || { echo "x11-usage: kivo did not decorate the xterm" >&2; cat "$work/kivo.log" >&2; exit 1; }
  sleep 2 # past start-up
}
end_kivo() {
  kill "$kivo_pid" 2>/dev/null || true
  wait "$kivo_pid" 2>/dev/null || true
  until_ok 10 plain || true
}

declare -A cpu
rss=
for interval in 50 250 1000; do
  run_kivo "$interval"
  [[ $interval == 250 ]] && rss=$(awk '/^VmRSS/ {print $2}' "/proc/$kivo_pid/status")
  before=$(own_ns "$kivo_pid")
  sleep "$seconds"
  after=$(own_ns "$kivo_pid")
  cpu[$interval]=$(ns_per_minute $((after - before)) "$seconds")
  end_kivo
done

# The shell loop, in a bash of its own so that its children are counted.
bash -c 'while sleep 0.25; do xdotool getactivewindow set_window --name "$(date +%H:%M) title"; done' &
loop_pid=$!
pids+=($loop_pid)
sleep 1
before=$(all_ticks "$loop_pid")
sleep "$seconds"
after=$(all_ticks "$loop_pid")
cpu[loop]=$(per_minute $((after - before)) "$seconds")
kill "$loop_pid"
wait "$loop_pid" 2>/dev/null || true
xdotool set_window --name 'Steady title' "$xterm_win"

# System calls, wakeups and allocations per steady tick at 250 ms.
window=5
ticks=$((window * 1000 / 250))
per_tick() { awk -v n="$1" -v t="$ticks" 'BEGIN { printf "%.1f", n / t }'; }
switches() { cat /proc/"$1"/task/*/status 2>/dev/null | awk '/ctxt_switches/ { n += $2 } END { print n + 0 }'; }
syscalls= wakeups= allocations=
if [[ -f $KIVO_PROBES/liballoc_count.so ]]; then
  export KIVO_ALLOC_LOG=$work/allocations
  run_kivo 250 env LD_PRELOAD="$KIVO_PROBES/liballoc_count.so"
  unset KIVO_ALLOC_LOG
  kill -USR2 "$kivo_pid"
  before=$(switches "$kivo_pid")
  sleep "$window"
  after=$(switches "$kivo_pid")
  kill -USR2 "$kivo_pid"
  until_ok 5 test "$(wc -l <"$work/allocations")" -ge 2 || true
  wakeups=$(per_tick $((after - before)))
  allocations=$(per_tick $(($(sed -n 2p "$work/allocations") - $(sed -n 1p "$work/allocations"))))
  if command -v strace >/dev/null; then
    timeout -s INT "$window" strace -f -c -p "$kivo_pid" -o "$work/strace.log" 2>/dev/null || true
    syscalls=$(per_tick "$(awk '$NF == "total" { print $4 }' "$work/strace.log")")
  fi
  end_kivo
fi
# probe_cpu NAME WARMUP: a probe program's processor time per minute over
# SECONDS after WARMUP seconds (empty when the probe was not built); its
# resident memory at the start into probe_rss.
probe_cpu() {
  local probe=$KIVO_PROBES/$1 pid before
  probe_rss=
  [[ -x $probe ]] || return 0
  "$probe" >/dev/null 2>&1 &
  pid=$!
  pids+=($pid)
  sleep "$2"
  probe_rss=$(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")
  before=$(own_ns "$pid")
  sleep "$seconds"
  ns_per_minute $(($(own_ns "$pid") - before)) "$seconds"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
}
probe_cpu qt_floor 3 >"$work/probe"
floor_cpu=$(cat "$work/probe") floor_rss=$probe_rss
sleep_cpu=$(probe_cpu sleep_floor 1)

# Round trips per steady tick at 250 ms.
trips=
if command -v xtrace >/dev/null; then
  fake=":$((${DISPLAY#:} + 100))"
  trace=$work/xtrace.log
  run_kivo 250 xtrace -n -d "$DISPLAY" -D "$fake" -o "$trace" --
  mark=$(wc -l <"$trace")
  sleep "$window"
  trips=$(tail -n +"$((mark + 1))" "$trace" | awk -v ticks=$((window * 1000 / 250)) '
    # "NNN:<:..." a request on connection NNN, "NNN:>:...: Reply" its reply.
    { split($0, f, ":"); c = f[1] }
    f[2] == "<" && f[3] ~ /^[0-9a-f]+$/ { asked[c] = 1; next }
    f[2] == ">" && /Reply to|Error/ { if (asked[c]) { n++; asked[c] = 0 } }
    END { printf "%.1f", n / ticks }')
  end_kivo
fi

ratio=$(awk -v l="${cpu[loop]}" -v k="${cpu[250]}" 'BEGIN { if (k > 0) printf "%.0fx", l / k; else print "inf" }')
echo "Linux kivo on X ($SECONDS s run, ${seconds} s per measurement, steady xterm in front):"
printf '  %-44s %12s   %s\n' "figure" "measured" "target"
printf '  %-44s %9s ms\n' "processor time per minute, 50 ms tick" "${cpu[50]}"
printf '  %-44s %9s ms   at least 100x less than the loop (%s)\n' "processor time per minute, 250 ms tick" "${cpu[250]}" "$ratio"
printf '  %-44s %9s ms\n' "processor time per minute, 1000 ms tick" "${cpu[1000]}"
printf '  %-44s %9s ms\n' "the shell loop (0.25 s, with its children)" "${cpu[loop]}"
printf '  %-44s %9s ms   (the loop over it: %s)\n' "the Qt floor (a 250 ms timer that does nothing)" "${floor_cpu:-?}" \
  "$(awk -v l="${cpu[loop]}" -v k="${floor_cpu:-0}" 'BEGIN { if (k > 0) printf "%.0fx", l / k; else print "?" }')"
printf '  %-44s %9s ms   (the loop over it: %s)\n' "the machine's floor (a bare 250 ms sleep loop)" "${sleep_cpu:-?}" \
  "$(awk -v l="${cpu[loop]}" -v k="${sleep_cpu:-0}" 'BEGIN { if (k > 0) printf "%.0fx", l / k; else print "?" }')"
show() { printf '  %-44s %12s   %s\n' "$1" "${2:-(not measured)}" "$3"; }
show "X round trips per steady tick (xtrace)" "$trips" "0"
show "system calls per steady tick (strace)" "$syscalls" ""
show "wakeups per steady tick (context switches)" "$wakeups" ""
show "heap allocations per steady tick" "$allocations" ""
mb() { awk -v k="$1" 'BEGIN { printf "%.1f MB", k / 1024 }'; }
show "resident memory after start-up (VmRSS)" "$(mb "$rss")" "within 4 MB of the Qt floor"
[[ -n $floor_rss ]] && show "the Qt floor (hidden window, 250 ms timer)" "$(mb "$floor_rss")" ""
exit 0
