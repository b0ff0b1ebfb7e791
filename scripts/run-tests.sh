#!/usr/bin/env bash
# Runs ctest in each configured test preset given (native, win32, fuzz),
# goes on after a failure so one run shows every problem, and ends with a
# one-line total (skipped tests are counted apart: a promise a backend
# cannot check must never read as passed). Exit status 1 when any tree has
# a failing or missing test.
set -uo pipefail
cd "$(dirname "$0")/.." || exit 2

total_passed=0
total_failed=0
total_skipped=0
failed_trees=()
for preset in "$@"; do
  echo
  echo "=== ctest --preset $preset"
  log=$(mktemp)
  ctest --preset "$preset" 2>&1 | tee "$log"
  rc=${PIPESTATUS[0]}
  # ctest's closing line: "100% tests passed, 0 tests failed out of 42".
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -1)
  if [[ -n "$summary" ]]; then
    out_of=$(sed -E 's/.* out of ([0-9]+).*/\1/' <<<"$summary")
    failed=$(sed -E 's/.* ([0-9]+) tests? failed.*/\1/' <<<"$summary")
    # A skipped test counts as passed in ctest's line; the list of tests
    # that did not run names each one "(Skipped)".
    skipped=$(grep -cE '^\s+[0-9]+ - .* \(Skipped\)$' "$log" || true)
    total_passed=$((total_passed + out_of - failed - skipped))
    total_failed=$((total_failed + failed))
    total_skipped=$((total_skipped + skipped))
  fi
  rm -f "$log"
  [[ $rc -ne 0 || -z "$summary" ]] && failed_trees+=("$preset")
done

echo
if [[ ${#failed_trees[@]} -ne 0 ]]; then
  echo "make test: FAILED in: ${failed_trees[*]}"
fi
echo "tests: $total_passed passed, $total_skipped skipped, $total_failed failed"
[[ ${#failed_trees[@]} -eq 0 ]]
