#!/usr/bin/env bash
# The import's memory must not grow with the table: its peak during the copy of a 1,000,000-row
# and of a 3,000,000-row personnel table, and how far apart they are (goal: at most 10 %).
# Usage: bench/import_memory.sh BUILD_BIN [SMALL_ROWS] [LARGE_ROWS]
set -euo pipefail
here=$(dirname "$0")
small=${2:-1000000}
large=${3:-3000000}
peak() {
  "$here/import_bench.sh" "$1" "$2" --import-only | tee /dev/stderr |
    sed -n 's/.*during the copy \([0-9.]*\) MB.*/\1/p'
}
a=$(peak "$1" "$small")
b=$(peak "$1" "$large")
printf 'peak memory during the copy: %s MB at %s rows, %s MB at %s rows: %s %% apart (goal: at most 10 %%)\n' \
  "$a" "$small" "$b" "$large" "$(printf '%.1f' "$(echo "($b - $a) * 100 / $a" | bc -l)")"
