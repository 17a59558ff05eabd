#!/usr/bin/env bash
# The load test: the sample data at two sizes (by default 100,000 personnel rows and 10,000 in
# each other table, then 1,000,000 and 100,000), imported and reported. It checks that every
# table reconciles with a difference of 0, and prints the peak memory of the import and the
# report at both sizes, which must not grow with the row count.
# Usage: tools/load_test.sh [BUILD_BIN]
set -euo pipefail
cd "$(dirname "$0")/.."
bin=$(cd "${1:-build/release/bin}" && pwd)

run_size() {
  local personnel=$1 rows=$2 home
  home=$(mktemp -d /tmp/zuna-load.XXXXXX)
  cp "$bin"/*.sql "$home"/
  "$bin/zuna-sample" generate --personnel-rows "$personnel" --rows "$rows" --no-refused-rows \
    "$home/zuna"
  "$bin/zuna-transfer" --home "$home" create-database >/dev/null
  "$bin/zuna-transfer" --home "$home" create-tables >/dev/null
  local start end
  start=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$home/import.rss" "$bin/zuna-transfer" --home "$home" import \
    >/dev/null 2>"$home/import.err"
  end=$(date +%s.%N)
  /usr/bin/time -f "%M" -o "$home/report.rss" "$bin/zuna-transfer" --home "$home" report \
    >"$home/report.out" 2>/dev/null
  local rows_total differences
  rows_total=$(awk 'NF && $2 ~ /^[0-9]+$/ {s += $3} END {print s}' "$home/import.err")
  # Data lines only: the two header lines also start with "| ".
  data_lines() { grep '^| ' "$home/report.out" | grep -v -e 'Table Name' -e 'in Foxpro Table'; }
  differences=$(data_lines | awk -F'|' '$5 !~ /^ 0 *$/' | wc -l)
  printf '%9s personnel, %7s per table: import %6.1f s, %s rows saved, peak %s KB; report peak %s KB; tables with a difference: %s\n' \
    "$personnel" "$rows" "$(echo "$end - $start" | bc)" "$rows_total" \
    "$(cat "$home/import.rss")" "$(cat "$home/report.rss")" "$differences"
  [ "$differences" -eq 0 ] || { data_lines | awk -F'|' '$5 !~ /^ 0 *$/'; exit 1; }
  rm -rf "$home"
}

run_size "${SMALL_PERSONNEL:-100000}" "${SMALL_ROWS:-10000}"
run_size "${LARGE_PERSONNEL:-1000000}" "${LARGE_ROWS:-100000}"
