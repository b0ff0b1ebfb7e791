# shellcheck shell=bash
# Helpers the scripts that drive a private X display share (x11-run.sh,
# x11-demo.sh, x11-screenshots.sh, bench/x11-usage.sh and the end-to-end
# tests' tests/x11/e2e/lib.sh); sourced, not run.

# until_ok SECONDS COMMAND...: polls every 50 ms until COMMAND succeeds;
# fails once SECONDS have passed.
until_ok() {
  local limit=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@"; do
    (($(date +%s%N) < limit)) || return 1
    sleep 0.05
  done
}

# prop WINDOW NAME: a text property as xprop shows it (UTF-8, escapes
# undone), or nothing with status 1 when the window does not have it.
prop() {
  local line
  line=$(xprop -notype -id "$1" "$2" 2>/dev/null) || return 1
  [[ $line == *' = "'* ]] || return 1
  line=${line#*= \"}
  line=${line%\"}
  line=${line//\\\"/\"}
  printf '%s' "${line//\\\\/\\}"
}

# name_of WINDOW: its title as a window manager shows it: _NET_WM_NAME
# where it has one, else WM_NAME.
name_of() { prop "$1" _NET_WM_NAME || prop "$1" WM_NAME || true; }

# is_active WINDOW: it is the window manager's active window.
is_active() {
  local active
  active=$(xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | awk '$NF ~ /^0x/ {print $NF}')
  [[ -n $active ]] && ((active == $1))
}

# asking_until SECONDS CHECK ASK WINDOW [later]: polls `CHECK WINDOW` as
# until_ok does, meanwhile running `xdotool ASK WINDOW` at once (or, with
# "later", only after a second) and again every second: a window manager
# now and then leaves a request unanswered.
asking_until() {
  local seconds=$1 check=$2 ask=$3 window=$4 asked=0
  [[ ${5:-} == later ]] && asked=$(date +%s)
  checked_or_asked() {
    "$check" "$window" && return 0
    local now
    now=$(date +%s)
    if ((now != asked)); then
      asked=$now
      xdotool "$ask" "$window" >/dev/null 2>&1 || true
    fi
    return 1
  }
  until_ok "$seconds" checked_or_asked
}

# bring_to_front WINDOW: asks for it the way a pager or a click does
# (_NET_ACTIVE_WINDOW) until it is active; fails after 10 s.
bring_to_front() { asking_until 10 is_active windowactivate "$1"; }

# open_xterm VAR INSTANCE TITLE [XTERM-ARGUMENT...]: an xterm of that
# instance name (the first WM_CLASS string, which finds it) and title, its
# pid added to `pids`; VAR receives its window id once it is mapped. Fails
# after 10 s.
open_xterm() {
  local var=$1 instance=$2 title=$3 found=
  shift 3
  xterm -name "$instance" -T "$title" "$@" 2>>"${work:-/tmp}/xterm.log" &
  pids+=($!)
  xterm_found() {
    found=$(xdotool search --classname "^$instance\$" 2>/dev/null | head -n 1)
    [[ -n $found ]]
  }
  until_ok 10 xterm_found || { echo "xterm '$instance' did not come up" >&2; return 1; }
  printf -v "$var" '%s' "$found"
}

# faked_clock "YYYY-MM-DD HH:MM:SS": FAKED_CLOCK becomes a command prefix
# that starts a program with its clock at that local time, running on
# from there (the monotonic clock stays real, and with it the timers).
# libfaketime is preloaded directly: the faketime wrapper forks, and a
# signal to it would not reach the program.
faked_clock() {
  local lib
  lib=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
  [[ -n $lib ]] || { echo "libfaketime is missing (package faketime)" >&2; return 1; }
  FAKED_CLOCK=(env LD_PRELOAD="$lib" FAKETIME="@$1" FAKETIME_DONT_FAKE_MONOTONIC=1)
}

# private_session NAME: a temporary $work with the session's own HOME and
# XDG directories (nothing is read from or written to the user's), UTF-8
# text, and an exit trap that kills every process in `pids` and removes
# $work.
private_session() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1.XXXXXX")
  export XDG_CONFIG_HOME=$work/config XDG_RUNTIME_DIR=$work/runtime HOME=$work/home
  export LC_ALL=C.UTF-8
  mkdir -p "$XDG_CONFIG_HOME/kivo" "$XDG_RUNTIME_DIR" "$HOME"
  chmod 700 "$XDG_RUNTIME_DIR"
  pids=()
  trap end_private_session EXIT
}

# still_ours PID: the process is still this shell's own child. A child that
# ended and was reaped leaves its number free, and with 32768 numbers a busy
# machine gives it to another process within minutes (another test's X
# server, say): only our own children are ever signalled.
still_ours() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  set -- $stat
  [[ $1 != Z && $2 == "$$" ]]
}

end_private_session() {
  local pid
  for pid in "${pids[@]}"; do
    if still_ours "$pid"; then kill "$pid" 2>/dev/null || true; fi
  done
  # A program ending on the signal may still write its last files (Kivo's
  # journal in the runtime directory): they go before $work does.
  all_gone() {
    for pid in "${pids[@]}"; do
      ! still_ours "$pid" || return 1
    done
    return 0
  }
  until_ok 10 all_gone || true
  rm -rf "$work"
}
