#!/usr/bin/env bash
# zuna-transfer verify against the import it checks, in the same run: the sample data with a
# personnel table of ROWS rows (the other tables small), imported into the embedded engine, then
# verified (every value of every table read again on both sides and compared). Prints both
# times, their ratio and the peak memory of each; the verification at a tenth of the rows too,
# so that its memory can be seen not to grow with the rows.
# Usage: bench/verify_bench.sh BUILD_BIN [ROWS]
set -euo pipefail
bin=$(cd "$1" && pwd)
rows=${2:-1000000}
work=$(mktemp -d /tmp/zuna-verify-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }
peak_mb() { awk '/Maximum resident set size/ {printf "%.1f", $NF / 1024}' "$1"; }

# One migration of `count` personnel rows into folder `home`; sets import_s, verify_s and the
# peak memory of both.
run() {
  local home=$1 count=$2
  mkdir -p "$home"
  cp "$bin"/*.sql "$home"/
  "$bin/zuna-sample" generate --personnel-rows "$count" "$home/zuna" >/dev/null
  for step in create-database create-tables alter; do
    "$bin/zuna-transfer" --home "$home" "$step" >/dev/null
  done
  local t0
  t0=$(now)
  /usr/bin/time -v "$bin/zuna-transfer" --home "$home" import >/dev/null 2>"$home/import.err" ||
    [ $? -eq 3 ]
  import_s=$(seconds "$t0" "$(now)")
  import_mb=$(peak_mb "$home/import.err")
  t0=$(now)
  /usr/bin/time -v "$bin/zuna-transfer" --home "$home" verify >"$home/verify.out" \
    2>"$home/verify.err"
  verify_s=$(seconds "$t0" "$(now)")
  verify_mb=$(peak_mb "$home/verify.err")
}

run "$work/small" $((rows / 10))
small_verify_mb=$verify_mb
small_verify_s=$verify_s
run "$work/full" "$rows"

echo "personnel rows: $rows  ($(grep '^personnel: ' "$work/full/verify.out"))"
printf 'zuna-transfer import (all 67 tables)  %7.2f s  peak %6s MB\n' "$import_s" "$import_mb"
printf 'zuna-transfer verify (all 67 tables)  %7.2f s  peak %6s MB  %.2f x the import'"'"'s time\n' \
  "$verify_s" "$verify_mb" "$(echo "$verify_s / $import_s" | bc -l)"
printf 'verify at %d personnel rows           %7.2f s  peak %6s MB\n' "$((rows / 10))" \
  "$small_verify_s" "$small_verify_mb"
