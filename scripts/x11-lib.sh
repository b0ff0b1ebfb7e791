# shellcheck shell=bash
# Helpers the scripts that drive a private X display share (x11-run.sh,
# x11-demo.sh, x11-screenshots.sh, bench/x11-usage.sh); sourced, not run.

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

# name_of WINDOW: its title, _NET_WM_NAME where it has one, else WM_NAME.
name_of() {
  xprop -notype -id "$1" _NET_WM_NAME WM_NAME 2>/dev/null |
    sed -n 's/^[^=]*= "\(.*\)"$/\1/p' | head -n 1
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

end_private_session() {
  local pid
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}
