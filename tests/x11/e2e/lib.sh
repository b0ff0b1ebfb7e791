# shellcheck shell=bash
# Helpers for the end-to-end tests of the real `kivo` program: a private
# HOME and settings file, xterms the test can retitle, title reads through
# xprop, and waits that poll a condition until a deadline (never a fixed
# sleep). Sourced by each case script, which runs inside scripts/x11-run.sh
# --wm (its own Xvfb with openbox).
#
#   KIVO_BIN        the kivo program under test (set by CTest)
#   KIVO_QT_CLIENT  optional: a small Qt window the tests can retitle
set -euo pipefail

[[ -n ${KIVO_BIN:-} && -x $KIVO_BIN ]] || { echo "FAIL: KIVO_BIN is not an executable: '${KIVO_BIN:-}'" >&2; exit 1; }
[[ -n ${DISPLAY:-} ]] || { echo "FAIL: no DISPLAY (run under scripts/x11-run.sh --wm)" >&2; exit 1; }

E2E_NAME=$(basename "$0" .sh)
E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/kivo-e2e-$E2E_NAME.XXXXXX")
export HOME=$E2E_DIR/home XDG_CONFIG_HOME=$E2E_DIR/config
export LC_ALL=C.UTF-8 TZ=UTC
unset LANGUAGE
export XDG_RUNTIME_DIR=$E2E_DIR/runtime
mkdir -p "$HOME" "$XDG_CONFIG_HOME/kivo" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
INI=$XDG_CONFIG_HOME/kivo/settings.ini
KIVO_PID=
E2E_PIDS=()

# Sound goes to a file: every opening of the default device runs the sink,
# which appends the samples to out.raw and one line to plays.log.
cat >"$E2E_DIR/sink.sh" <<EOF
#!/bin/sh
cat >>"$E2E_DIR/out.raw"
echo play >>"$E2E_DIR/plays.log"
EOF
chmod +x "$E2E_DIR/sink.sh"
cat >"$HOME/.asoundrc" <<EOF
pcm.!default {
  type file
  slave.pcm "null"
  file "|$E2E_DIR/sink.sh"
  format "raw"
}
EOF

e2e_cleanup() {
  local status=$?
  if [[ -n $KIVO_PID ]] && kill -0 "$KIVO_PID" 2>/dev/null; then kill "$KIVO_PID" 2>/dev/null || true; fi
  for pid in "${E2E_PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [[ $status -ne 0 && -s $E2E_DIR/kivo.log ]]; then
    echo "--- kivo's output:" >&2
    tail -n 40 "$E2E_DIR/kivo.log" >&2
  fi
  if [[ $status -ne 0 && -n ${KIVO_E2E_KEEP:-} ]]; then
    echo "kept $E2E_DIR" >&2
  else
    rm -rf "$E2E_DIR"
  fi
}
trap e2e_cleanup EXIT
trap 'exit 130' INT TERM

fail() {
  echo "FAIL [$E2E_NAME]: $*" >&2
  exit 1
}
note() { echo "[$E2E_NAME] $*"; }

# wait_until SECONDS WHAT COMMAND...: runs COMMAND every 50 ms until it
# succeeds; fails the test naming WHAT (and what LAST_SEEN last held).
LAST_SEEN=
wait_until() {
  local seconds=$1 what=$2
  shift 2
  local limit=$(($(date +%s%N) + seconds * 1000000000))
  LAST_SEEN=
  until "$@"; do
    if (($(date +%s%N) >= limit)); then
      fail "$what: not within ${seconds} s${LAST_SEEN:+ (last seen: $LAST_SEEN)}"
    fi
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

# title WINDOW: what a window manager shows: _NET_WM_NAME, else WM_NAME.
title() { prop "$1" _NET_WM_NAME || prop "$1" WM_NAME || true; }

# title_matches WINDOW REGEX (anchored by the caller)
title_matches() {
  local t
  t=$(title "$1")
  LAST_SEEN="_NET_WM_NAME=$(prop "$1" _NET_WM_NAME || echo '<none>') WM_NAME=$(prop "$1" WM_NAME || echo '<none>')"
  [[ $t =~ $2 ]]
}
title_is() {
  local t
  t=$(title "$1")
  LAST_SEEN="_NET_WM_NAME=$(prop "$1" _NET_WM_NAME || echo '<none>') WM_NAME=$(prop "$1" WM_NAME || echo '<none>')"
  [[ $t == "$2" ]]
}
wait_title() { wait_until "${3:-10}" "title of $1 to be '$2'" title_is "$1" "$2"; }
wait_title_re() { wait_until "${3:-10}" "title of $1 to match /$2/" title_matches "$1" "$2"; }

# Both name properties must say the same; used where the titles matter most.
names_agree() {
  local net wm
  net=$(prop "$1" _NET_WM_NAME) || return 0 # a window may have WM_NAME only
  wm=$(prop "$1" WM_NAME) || fail "window $1 lost its WM_NAME"
  [[ $net == "$wm" ]] || fail "window $1: _NET_WM_NAME '$net' but WM_NAME '$wm'"
}

# regex_quote TEXT: TEXT as a literal inside a bash regular expression.
regex_quote() { sed 's/[][\.*^$?+(){}|/]/\\&/g' <<<"$1"; }

# The clock of the standard template with an empty store ("%h:nn%,%mmm%,%d%").
CLOCK_RE='[0-9]{1,2}:[0-9]{2},[A-Z][a-z]{2},[0-9]{1,2}'

# ini KEY=VALUE... under [SECTION]: writes settings.ini as another program
# would (whole file replaced by a rename, never half written).
ini_set() {
  local section=$1
  shift
  local tmp=$INI.e2e.$$
  touch "$INI"
  E2E_ASSIGNS="$(printf '%s\n' "$@")" awk -v sec="$section" '
    BEGIN { n = split(ENVIRON["E2E_ASSIGNS"], a, "\n"); for (i = 1; i <= n; i++) if (a[i] != "") {
              k = substr(a[i], 1, index(a[i], "=") - 1); val[k] = a[i]; order[++m] = k } }
    function flush() { for (i = 1; i <= m; i++) if (!(order[i] in done)) { print val[order[i]]; done[order[i]] = 1 } }
    /^\[.*\]$/ { if (insec) flush(); insec = ($0 == "[" sec "]"); seen = seen || insec; print; next }
    insec { k = substr($0, 1, index($0, "=") - 1); if (k in val) { if (!(k in done)) print val[k]; done[k] = 1; next } }
    { print }
    END { if (insec) flush(); else if (!seen) { print "[" sec "]"; flush() } }' "$INI" >"$tmp"
  mv "$tmp" "$INI"
}

# start_xterm VAR INSTANCE TITLE [CLASS]: an xterm with that title whose
# shell retitles it with each line written to $E2E_DIR/INSTANCE.fifo; VAR
# receives its window id. INSTANCE (the first WM_CLASS string) finds it.
start_xterm() {
  local var=$1 inst=$2 t=$3 cls=${4:-XTerm}
  local fifo=$E2E_DIR/$inst.fifo
  mkfifo "$fifo"
  xterm -name "$inst" -class "$cls" -T "$t" -geometry 70x10 \
    -e sh -c 'exec 3<>"$1"; while read -r line <&3; do printf "\033]2;%s\007" "$line"; done' sh "$fifo" 2>>"$E2E_DIR/xterm.log" &

  E2E_PIDS+=($!)
  local found=
  find_it() { found=$(xdotool search --classname "^$inst\$" 2>/dev/null | head -n 1); [[ -n $found ]]; }
  wait_until 10 "xterm '$inst' to map" find_it
  wait_managed "$found"
  printf -v "$var" '%s' "$found"
}

# retitle INSTANCE TITLE: the xterm sets its own title (the OSC 2 escape).
retitle() { printf '%s\n' "$2" >"$E2E_DIR/$1.fifo"; }

# start_qt_client VAR INSTANCE TITLE: our small Qt window; lines written to
# $E2E_DIR/INSTANCE.fifo become its title (setWindowTitle).
start_qt_client() {
  local var=$1 inst=$2 t=$3
  local fifo=$E2E_DIR/$inst.fifo
  mkfifo "$fifo"
  "$KIVO_QT_CLIENT" "$t" "$fifo" &
  E2E_PIDS+=($!)
  local pid=$! found=
  find_it() { found=$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | head -n 1); [[ -n $found ]]; }
  wait_until 10 "Qt client '$inst' to map" find_it
  wait_managed "$found"
  printf -v "$var" '%s' "$found"
}

active_window() { xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | awk '{print $NF}'; }
is_active() {
  local a
  a=$(active_window)
  LAST_SEEN="active window ${a:-none}"
  [[ $((a)) -eq $1 ]]
}

# wait_asking SECONDS WHAT CHECK ASK WINDOW [later]: waits (as wait_until)
# for `CHECK WINDOW`, meanwhile running `xdotool ASK WINDOW` at once (or,
# with "later", only after a second) and again every second.
wait_asking() {
  local check=$3 ask=$4 window=$5 asked=0
  [[ ${6:-} == later ]] && asked=$(date +%s)
  checked_or_asked() {
    "$check" "$window" && return 0
    local now=$(date +%s)
    if ((now != asked)); then
      asked=$now
      xdotool "$ask" "$window" >/dev/null 2>&1 || true
    fi
    return 1
  }
  wait_until "$1" "$2" checked_or_asked
}

# activate WINDOW: brings it to the front the way a pager or a click does
# (_NET_ACTIVE_WINDOW), asking again every second.
activate() { wait_asking 10 "window $1 to become active" is_active windowactivate "$1"; }

in_client_list() {
  local ids id
  ids=$(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/^[^#]*#//p' | tr ',' ' ')
  for id in $ids; do (($(printf '%d' "$id") == $1)) && return 0; done
  return 1
}

# wait_managed WINDOW: until openbox has framed it (it is in
# _NET_CLIENT_LIST). Openbox just started now and then leaves a map request
# unanswered: it is made again every second.
wait_managed() { wait_asking 10 "window $1 to be managed by openbox" in_client_list windowmap "$1" later; }

# start_kivo [PREFIX...]: kivo in the background, PREFIX (e.g. faketime)
# before it; its output goes to $E2E_DIR/kivo.log.
start_kivo() {
  "$@" "$KIVO_BIN" >>"$E2E_DIR/kivo.log" 2>&1 &
  KIVO_PID=$!
}
kivo_alive() { kill -0 "$KIVO_PID" 2>/dev/null || fail "kivo (pid $KIVO_PID) is no longer running"; }

# stop_kivo: SIGTERM, and kivo must be gone within the deadline.
stop_kivo() {
  kivo_alive
  kill "$KIVO_PID"
  gone() { ! kill -0 "$KIVO_PID" 2>/dev/null; }
  wait_until 10 "kivo to end on SIGTERM" gone
  wait "$KIVO_PID" 2>/dev/null || true
  KIVO_PID=
}

# kivo_windows: kivo's own top-level windows (class ThunderRT5Form).
kivo_windows() { xdotool search --class '^ThunderRT5Form$' 2>/dev/null || true; }

# wait_main_in_front: after a second start, Kivo's main window (its title
# holds the main caption, decorated or not) is found and in front; MAIN
# names it.
MAIN_CAPTION='Kivo for Windows NT/95'
find_main_window() {
  for w in $(kivo_windows); do
    [[ $(title "$w") == *"$MAIN_CAPTION"* ]] && { MAIN=$w; return 0; }
  done
  return 1
}
wait_main_in_front() {
  MAIN=
  wait_until 10 "the main window" find_main_window
  wait_until 10 "the main window to come to the front" is_active "$MAIN"
}

# make_wav FILE: a short 8 kHz mono wave file (noise, 0.2 s).
make_wav() {
  local bytes=3200
  le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
  le16() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))"; }
  {
    printf RIFF; le32 $((36 + bytes)); printf 'WAVEfmt '; le32 16; le16 1; le16 1
    le32 8000; le32 16000; le16 2; le16 16; printf data; le32 $bytes
    head -c $bytes /dev/urandom
  } >"$1"
}

# plays: how many times the default sound device was opened so far.
plays() { [[ -f $E2E_DIR/plays.log ]] && wc -l <"$E2E_DIR/plays.log" || echo 0; }
plays_are() { LAST_SEEN="$(plays) plays"; [[ $(plays) -eq $1 ]]; }

# start_kivo_at "YYYY-MM-DD HH:MM:SS": kivo under faketime, its clock set to
# that local time at the start and running normally from there (the timers
# keep the real monotonic clock).
# libfaketime is preloaded directly: the faketime wrapper forks, and a
# signal to it would not reach kivo.
LIBFAKETIME=$(ls /usr/lib/*/faketime/libfaketime.so.1 2>/dev/null | head -n 1)
start_kivo_at() {
  [[ -n $LIBFAKETIME ]] || fail "libfaketime is missing (package faketime)"
  start_kivo env LD_PRELOAD="$LIBFAKETIME" FAKETIME="@$1" FAKETIME_DONT_FAKE_MONOTONIC=1
}

# watch_root: logs the root's substructure events (windows mapped,
# override-redirect or not) to $E2E_DIR/root.xev.
watch_root() {
  xev -root -event substructure >"$E2E_DIR/root.xev" 2>/dev/null &
  E2E_PIDS+=($!)
}
# override_maps_after LINE: override-redirect windows mapped in root.xev
# after its line LINE.
override_maps_after() {
  tail -n +"$(($1 + 1))" "$E2E_DIR/root.xev" |
    awk 'BEGIN { RS = "" } /^MapNotify/ && /override YES/ { n++ } END { print n + 0 }'
}
has_override_map_after() { LAST_SEEN="$(override_maps_after "$1") maps"; (($(override_maps_after "$1") > 0)); }
log_lines() { wc -l <"$1"; }

# abs_pos WINDOW: "X Y", the client window's position on the root.
abs_pos() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF} END {print x, y}'
}

# box_of PID: a message box of that kivo (a mapped window titled "Kivo",
# with or without a clock); BOX receives it.
BOX=
box_of() {
  BOX=$(xdotool search --all --pid "$1" --onlyvisible --name '(^| )Kivo$' 2>/dev/null | head -n 1)
  LAST_SEEN="no box of pid $1"
  [[ -n $BOX ]]
}
# wait_box [PID]: until kivo shows a box titled "Kivo"; sets BOX.
wait_box() { wait_until 15 "a box titled 'Kivo' from kivo" box_of "${1:-$KIVO_PID}"; }
box_gone() { ! xwininfo -id "$1" 2>/dev/null | grep -q IsViewable; }
# answer_box WINDOW: brings the box to the front and presses Return (its OK).
answer_box() {
  activate "$1"
  xdotool key --clearmodifiers Return
  wait_until 10 "box $1 to go" box_gone "$1"
}
# corrupt_ini: a settings file Kivo cannot read (line 3 is no setting).
corrupt_ini() { printf '[Main]\nCheckInterval=50\nthis is not a setting\n' >"$INI"; }
# kivo_ended_within SECONDS: kivo has ended; its exit status in KIVO_STATUS.
KIVO_STATUS=
kivo_ended_within() {
  gone() { ! kill -0 "$KIVO_PID" 2>/dev/null; }
  wait_until "$1" "kivo (pid $KIVO_PID) to end" gone
  KIVO_STATUS=0
  wait "$KIVO_PID" 2>/dev/null || KIVO_STATUS=$?
  KIVO_PID=
}
