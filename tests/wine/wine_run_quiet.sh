#!/usr/bin/env bash
# scripts/wine-run.sh creates a missing Wine prefix without a word in the
# program's output: tests compare that output, and whichever test happens
# to create the prefix must see exactly what the program printed. A
# stand-in loader and wineserver keep this cheap: the stand-in "wineboot"
# makes a prefix and chatters on both streams, the stand-in program prints a
# line on each stream and exits with status 3.
#
#   wine_run_quiet.sh WINE_RUN_SH
set -euo pipefail

wine_run=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

cat >"$tmp/wine64" <<'EOF'
#!/usr/bin/env bash
if [[ "$1" == wineboot ]]; then
  echo "wineboot: making $WINEPREFIX"
  echo "wineboot: a warning" >&2
  mkdir -p "$WINEPREFIX" && echo '#arch=win64' >"$WINEPREFIX/system.reg"
  exit 0
fi
echo "out: $*"
echo "err: $*" >&2
exit 3
EOF
printf '#!/bin/sh\nexit 0\n' >"$tmp/wineserver"
chmod +x "$tmp/wine64" "$tmp/wineserver"

fail() { echo "FAIL: $*" >&2; exit 1; }

# Twice: first with the prefix missing, then with it there. setsid: no
# terminal, as under a scheduler, so the notes can only go to the log.
for run in creating existing; do
  rc=0
  output=$(KIVO_WINE64="$tmp/wine64" KIVO_WINESERVER="$tmp/wineserver" \
    KIVO_WINEPREFIX="$tmp/prefix" KIVO_WINE_XVFB=0 KIVO_FAKETIME= \
    setsid -w bash "$wine_run" prog.exe a b 2>&1) || rc=$?
  expected=$'out: prog.exe a b\nerr: prog.exe a b'
  [[ "$output" == "$expected" ]] ||
    fail "$run the prefix: the output was"$'\n'"$output"$'\n'"instead of"$'\n'"$expected"
  [[ $rc -eq 3 ]] || fail "$run the prefix: status $rc instead of the program's 3"
done

# What was said about the prefix is in its log, beside wineboot's output.
grep -q '^wine-run: creating the 64-bit Wine prefix' "$tmp/prefix.log" ||
  fail "no note in $tmp/prefix.log: $(cat "$tmp/prefix.log")"
grep -q '^wineboot: a warning' "$tmp/prefix.log" || fail "wineboot's output is not in the log"
echo "wine-run.sh added nothing to the program's output"
