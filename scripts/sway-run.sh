#!/usr/bin/env bash
# Runs a command on a private, headless sway (Wayland, no screen, pixman
# drawing) and tears sway down afterwards.
#
#   scripts/sway-run.sh [--size WxH] [--] COMMAND [ARGS...]
#
# sway refuses to run as root. Run as root, this script makes (once) the
# unprivileged system user kivo-test and runs sway and the command as that
# user; otherwise both run as the caller. The command therefore must not
# write outside $TMPDIR, $HOME and $XDG_RUNTIME_DIR, which are private to the
# run. Where that user cannot reach the files the command names (a checkout
# under a private directory), the command runs as root after all. It sees
# the caller's KIVO_* variables,
# WAYLAND_DISPLAY, SWAYSOCK and XDG_RUNTIME_DIR, no DISPLAY and
# no I3SOCK; its exit status is the script's. sway's own configuration is
# ours alone: title bars on every window, no bar, no XWayland. The command
# starts once sway answers on its IPC socket.
set -euo pipefail

size=1280x720
while [[ $# -gt 0 ]]; do
  case "$1" in
    --size) size=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done
[[ $# -gt 0 ]] || { echo "usage: sway-run.sh [--size WxH] [--] COMMAND [ARGS...]" >&2; exit 2; }

for tool in sway swaymsg setpriv; do
  command -v "$tool" >/dev/null || { echo "sway-run.sh: $tool is missing (run scripts/deps.sh)" >&2; exit 2; }
done

source "$(dirname "$0")/x11-lib.sh"

runner=()
if [[ $(id -u) -eq 0 ]]; then
  user=kivo-test
  if ! id "$user" >/dev/null 2>&1; then
    # Two runs at once may both try: the loser finds the user made.
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$user" \
      2>/dev/null || id "$user" >/dev/null
  fi
  runner=(setpriv --reuid="$user" --regid="$user" --init-groups)
fi

work=$(mktemp -d "${TMPDIR:-/tmp}/kivo-sway.XXXXXX")
chmod 700 "$work"
mkdir -p "$work/runtime" "$work/home" "$work/tmp"
chmod 700 "$work/runtime"
[[ ${#runner[@]} -eq 0 ]] || chown -R "$user:$user" "$work"
sway_pid=
cleanup() {
  if [[ -n $sway_pid ]]; then
    if still_ours "$sway_pid"; then kill "$sway_pid" 2>/dev/null || true; fi
    wait "$sway_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

cat >"$work/home/sway.config" <<CONFIG
output HEADLESS-1 resolution $size
default_border normal 2
font monospace 10
focus_on_window_activation focus
xwayland disable
CONFIG

# Everything the command and sway see: nothing of the caller's session but
# the KIVO_* variables (what a test is told by its runner).
mapfile -t kivo_vars < <(env | grep '^KIVO_' || true)
session=(env -i PATH="$PATH" HOME="$work/home" TMPDIR="$work/tmp" XDG_RUNTIME_DIR="$work/runtime"
  XDG_CONFIG_HOME="$work/home/.config" LANG="${LANG:-C.UTF-8}" ${LC_ALL:+LC_ALL=$LC_ALL}
  ${LANGUAGE:+LANGUAGE=$LANGUAGE} "${kivo_vars[@]}")

"${runner[@]}" "${session[@]}" WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
  sway --config "$work/home/sway.config" >"$work/sway.log" 2>&1 &
sway_pid=$!

socket_of_sway() { compgen -G "$work/runtime/sway-ipc.*.sock" | head -n 1; }
sway_ready() {
  local socket
  socket=$(socket_of_sway) && [[ -n $socket ]] && swaymsg -s "$socket" -t get_version >/dev/null 2>&1 &&
    compgen -G "$work/runtime/wayland-*" >/dev/null
}
if ! until_ok 30 sway_ready; then
  echo "sway-run.sh: sway did not start:" >&2
  cat "$work/sway.log" >&2
  exit 2
fi
wayland=$(basename "$(compgen -G "$work/runtime/wayland-*" | grep -v '\.lock$' | head -n 1)")

# The command runs as sway's user where that user can reach what it runs.
# A checkout under a directory only root may enter (root's home, say) it
# cannot: the command then runs as the caller, root, which may connect to
# sway's sockets all the same.
command_runner=("${runner[@]}")
if [[ ${#runner[@]} -gt 0 ]]; then
  reachable=1
  for path in "$@" "${kivo_vars[@]#*=}"; do
    if [[ $path == /* && -e $path ]] && ! "${runner[@]}" test -r "$path"; then reachable=0; fi
  done
  [[ $reachable -eq 1 ]] || command_runner=()
fi

status=0
"${command_runner[@]}" "${session[@]}" WAYLAND_DISPLAY="$wayland" SWAYSOCK="$(socket_of_sway)" "$@" || status=$?
exit "$status"
