#!/usr/bin/env bash
# make run: the real Linux kivo.
#   On sway (SWAYSOCK set), or with DISPLAY set: starts build/kivo there, in
#   the foreground (Ctrl+C ends it; the decorated window gets its title
#   back). On sway, and on i3, the clock goes into the compositor's title
#   bars.
#   With no display (or --headless): a private Xvfb with openbox, two
#   xterms, kivo on them for a few seconds while each xterm comes to the
#   front in turn; prints the titles after each switch, saves a screenshot
#   and ends kivo.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${KIVO_BUILD_DIR:-build}
[[ $build == /* ]] || build=$PWD/$build
kivo=$build/kivo
shot=$build/kivo-demo.png

if [[ ${1:-} != --on-private-display ]]; then
  if [[ ! -x $kivo ]]; then
    echo "x11-demo.sh: $kivo is not built; run 'make' first" >&2
    exit 1
  fi
  if [[ -n ${SWAYSOCK:-} && ${1:-} != --headless ]]; then
    echo "kivo on sway (Ctrl+C ends it)"
    exec "$kivo"
  fi
  if [[ -n ${DISPLAY:-} && ${1:-} != --headless ]]; then
    echo "kivo on $DISPLAY (Ctrl+C ends it)"
    exec "$kivo"
  fi
  exec bash scripts/x11-run.sh --wm -- bash "$0" --on-private-display
fi

# On the private display: settings of the demo's own, nothing from $HOME.
source scripts/x11-lib.sh
private_session kivo-demo
kivo_pid=
end_demo() {
  [[ -n $kivo_pid ]] && kill "$kivo_pid" 2>/dev/null || true
  end_private_session
}
trap end_demo EXIT

decorated() { [[ $(name_of "$1") == *' = '* ]]; }
undecorated() { ! decorated "$1"; }

titles=("Editor - notes.txt" "日本語のメモ")
wins=()
for i in 0 1; do
  open_xterm w "kivo-demo-$i" "${titles[$i]}" -geometry 60x8 || exit 1
  wins+=("$w")
done

"$kivo" >"$work/kivo.log" 2>&1 &
kivo_pid=$!
echo "kivo started (pid $kivo_pid) on $DISPLAY"
for round in 1 2 3 4; do
  w=${wins[$((round % 2))]}
  other=${wins[$(((round + 1) % 2))]}
  bring_to_front "$w" && until_ok 10 decorated "$w" ||
    echo "  (no clock in the front window within 10 s)"
  until_ok 5 undecorated "$other" || true
  echo "switch $round: front  $(printf '0x%08x' "$w"): $(name_of "$w")"
  echo "          other  $(printf '0x%08x' "$other"): $(name_of "$other")"
done
import -window root "$shot"
echo "screenshot: $shot"

kill "$kivo_pid"
until_ok 10 bash -c "! kill -0 $kivo_pid 2>/dev/null" || echo "x11-demo.sh: kivo did not end on SIGTERM" >&2
kivo_pid=
for w in "${wins[@]}"; do echo "after kivo ended: $(name_of "$w")"; done
if [[ -s $work/kivo.log ]]; then
  echo "kivo's output:"
  sed 's/^/  /' "$work/kivo.log"
fi
exit 0
