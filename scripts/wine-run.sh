#!/usr/bin/env bash
# Runs a Windows program under 64-bit Wine, headless, in a private 64-bit
# Wine prefix that lives in the program's build tree (ctest's emulator for
# the cross build).
#
#   scripts/wine-run.sh PROGRAM.exe [ARGS...]   run it, exit with its status
#   scripts/wine-run.sh --init BUILD_DIR        create BUILD_DIR's prefix now
#
# The prefix is $KIVO_WINEPREFIX when set, else "wineprefix" in the nearest
# directory above the program that holds a CMakeCache.txt. It is created on
# first use under a lock, so tests started in parallel never race on it.
# Its creation prints nothing into the program's output (a test checks that
# output): the notes go to the terminal when there is one, and always to
# PREFIX.log, with wineboot's own output.
# KIVO_WINE_XVFB=1 runs the program on a private Xvfb display (x11-run.sh), for programs that open
# windows; console programs need no display.
# KIVO_WINE_DISPLAY=:N runs the program on that X display, which the caller
# keeps (scripts/screenshots.sh photographs it).
# KIVO_FAKETIME="@2024-03-05 14:59:50" runs Wine on a clock that starts at
# that local time and runs on from there (libfaketime): the program, the
# processes it starts and the wineserver all share it, so tests of the full
# hour need not wait for a real one.
#
# The 64-bit loader is called directly. Debian's `wine` wrapper prefers the
# 32-bit loader whenever it is installed, even on a kernel that refuses
# 32-bit programs, and the Windows tree is 64-bit anyway.
set -euo pipefail

die() { echo "wine-run: $*" >&2; exit 2; }
# A note about the prefix: to the terminal, never to stdout or stderr, which
# are the program's (a test compares them).
note() {
  echo "wine-run: $*" >>"$prefix.log"
  if { : >/dev/tty; } 2>/dev/null; then echo "wine-run: $*" >/dev/tty; fi
}

build_dir_of() {
  local d
  d=$(cd "$(dirname "$1")" && pwd)
  while [[ "$d" != / ]]; do
    [[ -f "$d/CMakeCache.txt" ]] && { echo "$d"; return; }
    d=$(dirname "$d")
  done
  echo "${XDG_CACHE_HOME:-$HOME/.cache}/kivo"
}

loader=${KIVO_WINE64:-/usr/lib/wine/wine64}
server=${KIVO_WINESERVER:-/usr/lib/wine/wineserver}
[[ -x "$loader" ]] || die "no 64-bit Wine loader at $loader (scripts/deps.sh installs wine64)"
[[ -x "$server" ]] || die "no wineserver at $server (scripts/deps.sh installs wine64)"

init_only=0
if [[ "${1:-}" == --init ]]; then
  [[ $# -eq 2 ]] || die "usage: $0 --init BUILD_DIR"
  init_only=1
  prefix=${KIVO_WINEPREFIX:-$(cd "$2" && pwd)/wineprefix}
else
  [[ $# -ge 1 ]] || die "usage: $0 PROGRAM.exe [ARGS...]"
  prefix=${KIVO_WINEPREFIX:-$(build_dir_of "$1")/wineprefix}
fi

export WINEPREFIX=$prefix
export WINEARCH=win64
# Programs Wine starts by itself (wineboot's helpers, a child process) must
# find the same loader.
export WINELOADER=$loader
export WINESERVER=$server KIVO_WS=$server
export WINEDEBUG=-all
# No Mono or Gecko: their install dialogs would wait for a click that never
# comes on a headless machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
# Never open windows on the developer's desktop; see KIVO_WINE_XVFB above.
unset DISPLAY WAYLAND_DISPLAY
[[ -n "${KIVO_WINE_DISPLAY:-}" ]] && export DISPLAY=$KIVO_WINE_DISPLAY

mkdir -p "$(dirname "$prefix")"
exec 9>"$prefix.lock"
flock 9
# A prefix made by an older, 32-bit tree cannot run 64-bit programs: start over.
replaced=0
if [[ -f "$prefix/system.reg" ]] && grep -q '^#arch=win32' "$prefix/system.reg"; then
  rm -rf "$prefix"
  replaced=1
fi
if [[ ! -f "$prefix/system.reg" ]]; then
  : >"$prefix.log"  # a new prefix, a new log
  [[ $replaced -eq 1 ]] && note "$prefix was a 32-bit prefix; replacing it with a 64-bit one"
  note "creating the 64-bit Wine prefix $prefix (once, about 15 s)"
  # The prefix's own processes would otherwise inherit the caller's stdout,
  # and ctest would wait for them to close it.
  if ! timeout 300 "$loader" wineboot --init </dev/null >>"$prefix.log" 2>&1; then
    cat "$prefix.log" >&2
    die "wineboot failed; see $prefix.log"
  fi
  timeout 60 "$server" -w || true
  [[ -f "$prefix/system.reg" ]] || { cat "$prefix.log" >&2; die "wineboot made no prefix; see $prefix.log"; }
fi
flock -u 9
exec 9>&-

[[ $init_only -eq 1 ]] && exit 0

# One wineserver serves the prefix, and the display its first program found
# (or the lack of one) is the one every later program of that server gets:
# Wine's desktop process holds it. A program started on an Xvfb display of
# its own while a console program's server is up cannot make a window. So a
# run on a display takes the prefix alone (waiting for the server of the
# runs before it to exit), and console runs share it with each other only.
# The lock goes with the run's last process (on a display, after its
# wineserver has exited).
exec 8>"$prefix.server.lock"
if [[ "${KIVO_WINE_XVFB:-0}" == 1 ]]; then
  flock -x 8
  "$server" -w
else
  flock -s 8
fi

run=("$loader")
if [[ -n "${KIVO_FAKETIME:-}" ]]; then
  command -v faketime >/dev/null || die "KIVO_FAKETIME needs faketime (scripts/deps.sh installs it)"
  # Only the calendar moves: Wine's timers and waits keep the real monotonic
  # clock.
  export FAKETIME_DONT_FAKE_MONOTONIC=1
  # Nor do file times: Wine compares the prefix's time stamp with wine.inf's
  # and would update the prefix in the middle of the run.
  export NO_FAKE_STAT=1
  run=(faketime -f "$KIVO_FAKETIME" "$loader")
fi

if [[ "${KIVO_WINE_XVFB:-0}" == 1 ]]; then
  # A display of its own for this run. The program's status is kept, and the
  # wineserver (with Wine's desktop process, which holds the display) is
  # waited for before the display goes: a later run must not find a
  # wineserver bound to a display that no longer exists.
  # x11-run.sh lets Xvfb pick a free display itself (-displayfd): xvfb-run's
  # -a only looks for a free number and then starts Xvfb on it, which fails
  # now and then when another display starts at the same moment.
  exec "$(dirname "${BASH_SOURCE[0]}")/x11-run.sh" --size "${KIVO_WINE_SCREEN:-1280x1024x24}" -- \
    bash -c '"$0" "$@"; rc=$?; "$KIVO_WS" -w; exit $rc' "${run[@]}" "$@" </dev/null
fi
exec "${run[@]}" "$@" </dev/null
