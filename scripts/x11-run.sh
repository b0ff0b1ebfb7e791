#!/usr/bin/env bash
# Runs a command on a private, headless X display (Xvfb), optionally with the
# openbox window manager, and tears the display down afterwards.
#
#   scripts/x11-run.sh [--wm | --i3] [--size WxHxD] [--] COMMAND [ARGS...]
#
# The command sees DISPLAY (and XAUTHORITY unset); its exit status is the
# script's. With --i3 the window manager is i3 with a private configuration
# (title bars on every window, no bar, a Pango font) instead of openbox; the
# command starts once i3 answers on its IPC socket, which it sees as I3SOCK. Each run gets a display number of its own (Xvfb picks a free one
# through -displayfd), so runs never meet. With --wm the command starts only
# once openbox manages the screen (_NET_SUPPORTING_WM_CHECK on the root).
# Everything waits for a condition with a deadline, never a fixed time.
set -euo pipefail

wm=0
i3=0
size=1280x1024x24
while [[ $# -gt 0 ]]; do
  case "$1" in
    --wm) wm=1; shift ;;
    --i3) i3=1; shift ;;
    --size) size=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: x11-run.sh [--wm | --i3] [--size WxHxD] [--] COMMAND [ARGS...]" >&2; exit 2; }

for tool in Xvfb xprop; do
  command -v "$tool" >/dev/null || { echo "x11-run.sh: $tool is missing (run scripts/deps.sh)" >&2; exit 2; }
done
if [[ $i3 -eq 1 ]] && ! command -v i3 >/dev/null; then
  echo "x11-run.sh: i3 is missing (run scripts/deps.sh)" >&2; exit 2
fi
if [[ $wm -eq 1 ]] && ! command -v openbox >/dev/null; then
  echo "x11-run.sh: openbox is missing (run scripts/deps.sh)" >&2; exit 2
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-x11.XXXXXX")
xvfb_pid=
wm_pid=
cleanup() {
  if [[ -n $wm_pid ]] && still_ours "$wm_pid"; then kill "$wm_pid" 2>/dev/null || true; fi
  if [[ -n $xvfb_pid ]]; then
    if still_ours "$xvfb_pid"; then kill "$xvfb_pid" 2>/dev/null || true; fi
    wait "$xvfb_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

source "$(dirname "$0")/x11-lib.sh"

mkfifo "$work/displayfd"
Xvfb -displayfd 3 -screen 0 "$size" -nolisten tcp -noreset 3>"$work/displayfd" \
  >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
display=
read -r -t 30 display <"$work/displayfd" || true
if [[ -z $display ]]; then
  echo "x11-run.sh: Xvfb did not start:" >&2
  cat "$work/xvfb.log" >&2
  exit 2
fi
export DISPLAY=":$display"
unset XAUTHORITY WAYLAND_DISPLAY SWAYSOCK I3SOCK

if [[ $i3 -eq 1 ]]; then
  # Nothing from $HOME: no bar, no key bindings, title bars on every window.
  cat >"$work/i3.config" <<CONFIG
font pango:monospace 10
default_border normal 2
default_floating_border normal 2
focus_on_window_activation focus
ipc-socket $work/i3.sock
CONFIG
  i3 -c "$work/i3.config" >"$work/i3.log" 2>&1 &
  wm_pid=$!
  i3_ready() { i3-msg -s "$work/i3.sock" -t get_version >/dev/null 2>&1; }
  if ! until_ok 30 i3_ready; then
    echo "x11-run.sh: i3 did not start:" >&2
    cat "$work/i3.log" >&2
    exit 2
  fi
  export I3SOCK=$work/i3.sock
fi

if [[ $wm -eq 1 ]]; then
  # A config of our own: no desktop menu, no dock, nothing from $HOME.
  mkdir -p "$work/openbox"
  cat >"$work/openbox/rc.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<openbox_config xmlns="http://openbox.org/3.4/rc">
  <focus><focusNew>yes</focusNew><followMouse>no</followMouse></focus>
  <placement><policy>Smart</policy></placement>
  <desktops><number>1</number></desktops>
</openbox_config>
XML
  openbox --config-file "$work/openbox/rc.xml" >"$work/openbox.log" 2>&1 &
  wm_pid=$!
  wm_ready() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
  if ! until_ok 30 wm_ready; then
    echo "x11-run.sh: openbox did not take the screen:" >&2
    cat "$work/openbox.log" >&2
    exit 2
  fi
  # Owning the screen is not yet managing windows: openbox, just started,
  # now and then leaves the first map request unanswered. A probe window
  # must be framed first (asked again every 3 s), and gone again, before the
  # command starts on a desktop with no client.
  client_count() {
    xprop -root _NET_CLIENT_LIST 2>/dev/null | grep -o '0x[0-9a-f]*' | wc -l
  }
  probe_managed() { (($(client_count) > 0)); }
  probe_gone() { (($(client_count) == 0)); }
  managed=0
  for _ in 1 2 3 4 5 6 7 8 9 10; do
    xmessage -name kivo-probe -timeout 30 probe >/dev/null 2>&1 &
    probe_pid=$!
    until_ok 3 probe_managed && managed=1
    kill "$probe_pid" 2>/dev/null || true
    wait "$probe_pid" 2>/dev/null || true
    [[ $managed -eq 1 ]] && break
  done
  if [[ $managed -eq 0 ]] || ! until_ok 10 probe_gone; then
    echo "x11-run.sh: openbox does not manage windows:" >&2
    cat "$work/openbox.log" >&2
    exit 2
  fi
fi

status=0
"$@" || status=$?
exit "$status"
