#!/usr/bin/env bash
# Plants known faults in the sources, one at a time, and tells which tests
# catch each. It shows what the test suites are worth: before tests are
# merged or removed, run it and compare its lines with BEFORE.txt; every
# fault must still be caught by some test.
#
#   tests/faults/plant.sh [--wine] [--native] [--no-baseline] [NN-name ...]
#
# Each tests/faults/NN-name.patch is a unified diff against the sources,
# applied with `git apply`; the text above its first "diff --git" line says
# what the fault is, and its "Suites:" line which test trees run for it
# (native: ctest -L 'unit|contract|scenario|x11' in build/; wine: the whole
# Windows tree under Wine in build-win32/). --wine adds the Wine suite to
# every patch, --native the native one. Without names, every patch runs.
# A patch stops applying when the code it touches changes: refresh it then
# (plant the same fault in the new code, `git diff > NN-name.patch`).
#
# The faults go into a scratch tree, never into this one: a detached git
# worktree in $KIVO_FAULTS_DIR (default /tmp/kivo-faults/tree) holding this
# tree's sources as they are now (uncommitted changes to tracked files
# included). Its build directories stay between patches and runs, so each
# patch rebuilds only what it touches. First a baseline run of the same
# suites on the unchanged sources finds tests that fail anyway; those are
# left out of the lines (--no-baseline skips it). Logs go to
# $KIVO_FAULTS_DIR/logs.
#
# Output, one line a patch:
#   NN-name: caught by TEST TEST ...        (Wine tests as win32:TEST)
#   NN-name: NOT CAUGHT
# A test on a list of six or fewer counts only when it fails a second run.
# Times on a busy 2-core machine: 2-4 minutes a patch natively, 6-16 with
# Wine; every patch with both baselines, about an hour.
set -uo pipefail

here=$(cd "$(dirname "$0")" && pwd)
repo=$(git -C "$here" rev-parse --show-toplevel) || exit 2
work=${KIVO_FAULTS_DIR:-/tmp/kivo-faults}
tree=$work/tree
logs=$work/logs
force_wine=0
force_native=0
baseline=1
names=()
for arg in "$@"; do
  case "$arg" in
    --wine) force_wine=1 ;;
    --native) force_native=1 ;;
    --no-baseline) baseline=0 ;;
    -h | --help) sed -n '2,29p' "$0" | sed 's/^# \{0,1\}//'; exit 0 ;;
    -*) echo "plant: unknown option $arg" >&2; exit 2 ;;
    *) names+=("${arg%.patch}") ;;
  esac
done

patches=()
if ((${#names[@]} == 0)); then
  patches=("$here"/[0-9]*.patch)
else
  for n in "${names[@]}"; do
    p=$(ls "$here/$(basename "$n")"*.patch 2>/dev/null | head -1)
    [[ -n "$p" ]] || { echo "plant: no patch $n in $here" >&2; exit 2; }
    patches+=("$p")
  done
fi

mkdir -p "$work" "$logs"
exec 9>"$work/lock"
flock -n 9 || { echo "plant: another run holds $work/lock" >&2; exit 2; }

if command -v ccache >/dev/null; then
  export CCACHE_BASEDIR=$work CMAKE_CXX_COMPILER_LAUNCHER=ccache CMAKE_C_COMPILER_LAUNCHER=ccache
fi

# The sources as they are now, uncommitted changes included, as a commit.
source_commit=$(git -C "$repo" stash create 2>/dev/null)
source_commit=${source_commit:-$(git -C "$repo" rev-parse HEAD)}
if [[ ! -e "$tree/.git" ]]; then
  git -C "$repo" worktree add -q --detach "$tree" "$source_commit" || exit 2
fi
# Resetting rewrites only files that differ, so the build trees stay valid.
reset_tree() { git -C "$tree" reset -q --hard "$source_commit"; }
reset_tree || exit 2

suites_of() {  # the suites a patch asks for, as "native wine"
  local line
  line=$(sed -n '/^diff --git/q; s/^Suites: *//p' "$1")
  [[ -n "$line" ]] || line=native
  ((force_native)) && line="native $line"
  ((force_wine)) && line="$line wine"
  echo "$line"
}

# Builds one tree and runs its tests; prints the names of the failing ones
# (Wine's prefixed win32:), or BUILD-FAILED. $1 native|wine, $2 log file.
run_suite() {
  local suite=$1 log=$2 dir preset prefix="" out
  if [[ $suite == native ]]; then dir=build preset=native; else dir=build-win32 preset=win32 prefix=win32:; fi
  : >"$log"
  (
    cd "$tree" || exit 1
    [[ -f $dir/CMakeCache.txt ]] || cmake --preset "$preset" >>"$log" 2>&1 || exit 1
    cmake --build --preset "$preset" >>"$log" 2>&1 || exit 1
  ) || { echo BUILD-FAILED; return; }
  if [[ $suite == native ]]; then
    (cd "$tree" && ctest --test-dir build -L 'unit|contract|scenario|x11' -j2 >>"$log" 2>&1)
  else
    (cd "$tree" && bash scripts/wine-run.sh --init build-win32 >>"$log" 2>&1 &&
      ctest --test-dir build-win32 -j2 >>"$log" 2>&1)
  fi
  out=$(failed_in "$log")
  # A short list is run once more: on a busy machine an end-to-end test may
  # miss its deadline once, and that alone must not count as a catch. (In a
  # long list one such test changes nothing, and the reruns would be long.)
  local n
  n=$(echo "$out" | grep -c .)
  if ((n > 0 && n <= 6)); then
    echo "--- once more:" >>"$log"
    (cd "$tree" && ctest --test-dir "$dir" --rerun-failed >>"$log" 2>&1)
    local again
    again=$(sed -n '/^--- once more:/,$p' "$log" | failed_in /dev/stdin)
    out=$(comm -12 <(echo "$out" | sort) <(echo "$again" | sort))
  fi
  for t in $out; do echo "$prefix$t"; done
}

# ctest's summary: "\t 12 - name (Failed)" lines after "The following tests FAILED:".
failed_in() {
  sed -n '/The following tests FAILED:/,$p' "$1" |
    sed -n 's/^[[:space:]]*[0-9]\{1,\} - \([^ ]*\) (.*/\1/p'
}

declare -A needed=() broken=()
for p in "${patches[@]}"; do
  for s in $(suites_of "$p"); do needed[$s]=1; done
done

start=$(date +%s)
echo "# plant.sh on $(git -C "$repo" rev-parse --short HEAD)$([[ $source_commit != $(git -C "$repo" rev-parse HEAD) ]] && echo ' (with uncommitted changes)'), $(date -u '+%Y-%m-%d %H:%M UTC')"
if ((baseline)); then
  for s in "${!needed[@]}"; do
    failing=$(run_suite "$s" "$logs/baseline.$s.log")
    for t in $failing; do broken[$t]=1; done
    [[ -n "$failing" ]] && echo "# baseline ($s) fails already, left out below: $(echo $failing)"
  done
fi

for p in "${patches[@]}"; do
  name=$(basename "$p" .patch)
  t0=$(date +%s)
  reset_tree
  if ! git -C "$tree" apply "$p" 2>"$logs/$name.apply.log"; then
    echo "$name: DOES NOT APPLY (refresh the patch; $logs/$name.apply.log)"
    continue
  fi
  caught=()
  build_failed=""
  suites=$(suites_of "$p")
  for s in $suites; do
    for t in $(run_suite "$s" "$logs/$name.$s.log"); do
      if [[ $t == BUILD-FAILED ]]; then
        build_failed="$build_failed $s"
      elif [[ -z ${broken[$t]:-} ]]; then
        caught+=("$t")
      fi
    done
  done
  reset_tree
  took="[$(echo $suites | tr ' ' '+'), $(($(date +%s) - t0))s]"
  if [[ -n $build_failed ]]; then
    echo "$name: DOES NOT BUILD ($build_failed; $logs/$name.*.log) $took"
  elif ((${#caught[@]} == 0)); then
    echo "$name: NOT CAUGHT $took"
  else
    echo "$name: caught by ${caught[*]} $took"
  fi
done
# The build trees are left with the unchanged sources rebuilt lazily: the
# next run's baseline rebuilds the last patch's files.
echo "# total $(($(date +%s) - start))s"
