#!/usr/bin/env bash
# The scripted demo: the whole program on the simulated desktop, narrated,
# with every caption change and signal printed (runs of one event folded
# into one line with a count). `make run` shows the real Linux kivo.
set -euo pipefail
cd "$(dirname "$0")/.."
sim=${KIVO_BUILD_DIR:-build}/tools/kivo-sim
if [[ ! -x "$sim" ]]; then
  echo "demo.sh: $sim is not built; run 'make' first" >&2
  exit 1
fi
"$sim" scripts/demo.kivo | awk '
  $0 == last { n++; next }
  { if (NR > 1) print last (n > 1 ? "   (x" n ")" : ""); last = $0; n = 1 }
  END { if (NR > 0) print last (n > 1 ? "   (x" n ")" : "") }'
