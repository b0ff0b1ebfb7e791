#!/usr/bin/env bash
# Counts C++ code lines (blank lines and comment-only lines left out) per
# top-level folder, production against tests, and the tests' share of the
# whole. Run from anywhere: scripts/loc.sh [repository root]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
production=(platform settings clocktext signals engine ui app tools bench)
# Tests are counted per folder under tests/ (C++ files lie only in those).
mapfile -t tests < <(cd "$root" && find tests -mindepth 1 -maxdepth 1 -type d | sort)
tests+=(fuzz)

# Code lines of the C++ files under one folder: a line counts when anything
# but a comment is on it; /* */ blocks are followed across lines.
code_lines() {
  local dir=$root/$1
  [[ -d $dir ]] || { echo 0; return; }
  find "$dir" -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.hpp' -o -name '*.cc' -o -name '*.c' \) \
    -print0 | xargs -0 -r awk '
      FNR == 1 { in_block = 0 }
      {
        line = $0; code = ""
        while (length(line) > 0) {
          if (in_block) {
            end = index(line, "*/")
            if (end == 0) { line = ""; break }
            line = substr(line, end + 2); in_block = 0
          } else {
            start = index(line, "/*"); slashes = index(line, "//")
            if (slashes > 0 && (start == 0 || slashes < start)) { code = code substr(line, 1, slashes - 1); line = ""; break }
            if (start == 0) { code = code line; line = ""; break }
            code = code substr(line, 1, start - 1); line = substr(line, start + 2); in_block = 1
          }
        }
        if (code ~ /[^ \t\r]/) count++
      }
      END { print count + 0 }'
}

# Prints one line per folder and leaves the sum in $sum.
sum_folders() {
  local n
  sum=0
  for folder in "$@"; do
    n=$(code_lines "$folder")
    ((n > 0)) || continue  # a folder of scripts or golden files only
    printf '  %-16s %6d\n' "$folder" "$n"
    sum=$((sum + n))
  done
}

echo "production"
sum_folders "${production[@]}"
prod=$sum
echo "test"
sum_folders "${tests[@]}"
test=$sum
printf 'production %d, test %d, test share %d.%d%% of the whole, %d.%02d times production\n' \
  "$prod" "$test" $((test * 100 / (prod + test))) $((test * 1000 / (prod + test) % 10)) \
  $((test / prod)) $((test * 100 / prod % 100))
