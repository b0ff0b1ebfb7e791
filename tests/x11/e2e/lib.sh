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
source "$(dirname "${BASH_SOURCE[0]}")/../../../scripts/x11-lib.sh"
# Under i3 (scripts/x11-run.sh --i3) the clock goes into i3's title format,
# never into the window's own title: a window's title is then what i3 shows
# (its title format applied to the program's own title), and the own title
# must never hold the clock. A window i3 does not show has its own title.
if [[ -n ${I3SOCK:-} ]]; then
  name_of() {
    local own
    own=$(prop "$1" _NET_WM_NAME || prop "$1" WM_NAME || true)
    [[ $own =~ ^[0-9]{1,2}:[0-9]{2}, ]] && fail "window $1: the clock in its own title '$own'"
    i3-msg -t get_tree | python3 -c '
import html, json, sys
want = int(sys.argv[1], 0)
def walk(n):
    if n.get("window") == want:
        fmt = n.get("title_format") or "%title"
        shown = fmt.replace("%title", n.get("name") or "").replace("\u2060", "")
        print(html.unescape(shown) if "&" in fmt else shown)
        return True
    return any(walk(c) for c in n.get("nodes", []) + n.get("floating_nodes", []))
if not walk(json.load(sys.stdin)):
    print(sys.argv[2])  # not in the tree (hidden): its own title' "$1" "$own"
  }
fi
private_session "kivo-e2e-$E2E_NAME"
export TZ=UTC
# Kivo speaks Japanese here whatever this machine's language is: the boxes
# and dialogs are found by their Japanese titles. (A case may ask for
# English.)
export LANGUAGE=ja
INI=$XDG_CONFIG_HOME/kivo/settings.ini
KIVO_PID=

# Sound goes to a file: every opening of the default device runs the sink,
# which appends the samples to out.raw and one line to plays.log.
cat >"$work/sink.sh" <<EOF
#!/bin/sh
cat >>"$work/out.raw"
echo play >>"$work/plays.log"
EOF
chmod +x "$work/sink.sh"
cat >"$HOME/.asoundrc" <<EOF
pcm.!default {
  type file
  slave.pcm "null"
  file "|$work/sink.sh"
  format "raw"
}
EOF

e2e_cleanup() {
  local status=$?
  [[ -n $KIVO_PID ]] && pids+=("$KIVO_PID")
  if [[ $status -ne 0 && -s $work/kivo.log ]]; then
    echo "--- kivo's output:" >&2
    tail -n 40 "$work/kivo.log" >&2
  fi
  if [[ $status -ne 0 && -n ${KIVO_E2E_KEEP:-} ]]; then
    echo "kept $work" >&2
    work=
  fi
  end_private_session
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
  LAST_SEEN=
  until_ok "$seconds" "$@" || fail "$what: not within ${seconds} s${LAST_SEEN:+ (last seen: $LAST_SEEN)}"
}

# title_is WINDOW TEXT, title_matches WINDOW REGEX (anchored by the
# caller): the title as name_of reads it; LAST_SEEN keeps both properties.
read_title() {
  TITLE=$(name_of "$1")
  LAST_SEEN="_NET_WM_NAME=$(prop "$1" _NET_WM_NAME || echo '<none>') WM_NAME=$(prop "$1" WM_NAME || echo '<none>')"
}
title_is() { read_title "$1" && [[ $TITLE == "$2" ]]; }
title_matches() { read_title "$1" && [[ $TITLE =~ $2 ]]; }
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
# shell retitles it with each line written to $work/INSTANCE.fifo; VAR
# receives its window id once openbox manages it.
start_xterm() {
  local fifo=$work/$2.fifo
  mkfifo "$fifo"
  open_xterm "$1" "$2" "$3" -class "${4:-XTerm}" -geometry 70x10 \
    -e sh -c 'exec 3<>"$1"; while read -r line <&3; do printf "\033]2;%s\007" "$line"; done' sh "$fifo" ||
    fail "xterm '$2' did not map"
  wait_managed "${!1}"
  # i3 moves only floating windows (a tiled one stays where the layout puts
  # it, shaken or not): the cases' windows float there.
  if [[ -n ${I3SOCK:-} ]]; then
    i3-msg "[id=${!1}] floating enable" >/dev/null || fail "i3 did not float window ${!1}"
  fi
}

# retitle INSTANCE TITLE: the xterm sets its own title (the OSC 2 escape).
retitle() { printf '%s\n' "$2" >"$work/$1.fifo"; }

# start_qt_client VAR INSTANCE TITLE: our small Qt window; lines written to
# $work/INSTANCE.fifo become its title (setWindowTitle).
start_qt_client() {
  local var=$1 fifo=$work/$2.fifo found=
  mkfifo "$fifo"
  "$KIVO_QT_CLIENT" "$3" "$fifo" &
  pids+=($!)
  local pid=$!
  find_it() { found=$(xdotool search --pid "$pid" --onlyvisible 2>/dev/null | head -n 1); [[ -n $found ]]; }
  wait_until 10 "Qt client '$2' to map" find_it
  wait_managed "$found"
  printf -v "$var" '%s' "$found"
}

active_window() { xprop -root _NET_ACTIVE_WINDOW 2>/dev/null | awk '{print $NF}'; }
activate() { bring_to_front "$1" || fail "window $1 did not become active (active: $(active_window))"; }

in_client_list() {
  local ids id
  ids=$(xprop -root _NET_CLIENT_LIST 2>/dev/null | sed -n 's/^[^#]*#//p' | tr ',' ' ')
  for id in $ids; do (($(printf '%d' "$id") == $1)) && return 0; done
  return 1
}

# wait_managed WINDOW: until openbox has framed it (it is in
# _NET_CLIENT_LIST). Openbox just started now and then leaves a map request
# unanswered: it is made again every second.
wait_managed() {
  asking_until 10 in_client_list windowmap "$1" later || fail "window $1 was not managed by openbox"
}

# start_kivo [PREFIX...]: kivo in the background, PREFIX (e.g. faketime)
# before it; its output goes to $work/kivo.log.
start_kivo() {
  "$@" "$KIVO_BIN" >>"$work/kivo.log" 2>&1 &
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
    [[ $(name_of "$w") == *"$MAIN_CAPTION"* ]] && { MAIN=$w; return 0; }
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
plays() { [[ -f $work/plays.log ]] && wc -l <"$work/plays.log" || echo 0; }
plays_are() { LAST_SEEN="$(plays) plays"; [[ $(plays) -eq $1 ]]; }

# start_kivo_at "YYYY-MM-DD HH:MM:SS": kivo under faketime, its clock set to
# that local time at the start and running normally from there.
start_kivo_at() {
  faked_clock "$1" || fail "no faked clock"
  start_kivo "${FAKED_CLOCK[@]}"
}

# watch_root: logs the root's substructure events (windows mapped,
# override-redirect or not) to $work/root.xev. Under i3 the flash is a
# thicker border, not a highlight window: each look at i3's tree that finds
# one (more than the 2 px the test configuration gives) is logged as such a
# map, so that the cases count flashes the same way.
watch_root() {
  if [[ -n ${I3SOCK:-} ]]; then
    while :; do
      if i3-msg -t get_tree 2>/dev/null | grep -Eq '"current_border_width":([3-9]|[1-9][0-9])'; then
        printf 'MapNotify override YES\n\n'
      else
        printf '.\n\n'
      fi
      sleep 0.05
    done >"$work/root.xev" 2>/dev/null &
  else
    xev -root -event substructure >"$work/root.xev" 2>/dev/null &
  fi
  pids+=($!)
}
# override_maps_after LINE: override-redirect windows mapped in root.xev
# after its line LINE.
override_maps_after() {
  tail -n +"$(($1 + 1))" "$work/root.xev" |
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
