#!/usr/bin/env bash
# Stand-in demo until the desktop backends exist: shows the clock text that
# kivo would put in a title bar, rendered once a second for three seconds.
set -euo pipefail
cd "$(dirname "$0")/.."

render=build/tools/kivo-render
sim=build/tools/kivo-sim

if [[ -x "$sim" ]]; then
  # The whole program on the simulated desktop: one editor window in focus,
  # its caption printed after each simulated second, seconds and weekday on.
  "$sim" <<'SCRIPT'
store Main ShowSecond 1
store Main ShowDay 1
clock 1998-12-05 15:05:07
window 100 Notepad "memo - Notepad"
focus 100
start
run 1
title 100
run 1
title 100
run 1
title 100
SCRIPT
elif [[ -x "$render" ]]; then
  for _ in 1 2 3; do
    "$render" --key "%h:nn:ss%,%yyyy%/%m%/%d% %aaa%"
    sleep 1
  done
else
  echo "demo.sh: neither $sim nor $render is built; run 'make' first" >&2
  exit 1
fi
