#!/usr/bin/env bash
# kivo.exe's processor time per minute (250 ms tick, a steady window in
# front) and its memory after start-up, under 64-bit Wine on an Xvfb display
# of its own, in a Wine prefix of its own.
#
#   bench/kivo-usage.sh [SECONDS]     (default 60; make windows first)
set -euo pipefail
cd "$(dirname "$0")/.."
exe=build-win32/bench/usage/kivo_usage.exe
[[ -f $exe ]] || { echo "kivo-usage: no $exe (make windows builds it)" >&2; exit 2; }
KIVO_WINE_XVFB=1 KIVO_WINEPREFIX=$PWD/build-win32/wineprefix-bench \
  bash scripts/wine-run.sh "$exe" "${1:-60}"
