#!/usr/bin/env bash
# zuna-transfer verify against the import it checks, in the same run: the sample data with a
# personnel table of ROWS rows (the other tables small), imported into the embedded engine, then
# verified (every value of every table read again on both sides and compared). Prints both
# times, their ratio and the peak memory of each; the same at a tenth of the rows and at three
# times the rows, so that the memory can be seen to stay at the hashes' budget (16 MB by default)
# above the rows that fill it, and the machine's load before and after, since other work on it
# changes the times.
# Usage: bench/verify_bench.sh BUILD_BIN [ROWS]
set -euo pipefail
bin=$(cd "$1" && pwd)
rows=${2:-1000000}
work=$(mktemp -d /tmp/zuna-verify-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }
peak_mb() { awk '/Maximum resident set size/ {printf "%.1f", $NF / 1024}' "$1"; }
# User and system time together: on a machine others use too, the wall time depends on their load
# and this much less.
cpu_s() { awk '/(User|System) time \(seconds\)/ {t += $NF} END {printf "%.2f", t}' "$1"; }

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
  import_cpu=$(cpu_s "$home/import.err")
  t0=$(now)
  /usr/bin/time -v "$bin/zuna-transfer" --home "$home" verify >"$home/verify.out" \
    2>"$home/verify.err"
  verify_s=$(seconds "$t0" "$(now)")
  verify_mb=$(peak_mb "$home/verify.err")
  verify_cpu=$(cpu_s "$home/verify.err")
}

load_before=$(cut -d' ' -f1-3 /proc/loadavg)
run "$work/small" $((rows / 10))
small_import_s=$import_s small_verify_s=$verify_s small_verify_mb=$verify_mb
small_import_cpu=$import_cpu small_verify_cpu=$verify_cpu small_import_mb=$import_mb
rm -rf "$work/small"
run "$work/large" $((rows * 3))
large_import_s=$import_s large_verify_s=$verify_s large_verify_mb=$verify_mb
large_import_cpu=$import_cpu large_verify_cpu=$verify_cpu large_import_mb=$import_mb
rm -rf "$work/large"
run "$work/full" "$rows"

echo "personnel rows: $rows  ($(grep '^personnel: ' "$work/full/verify.out"))"
echo "load average (1, 5, 15 min) before: $load_before  after: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '                                       wall       cpu      peak   verify / import\n'
line() {  # label import_s import_cpu import_mb verify_s verify_cpu verify_mb
  printf '%-30s import %7.2f s %7.2f s %6s MB\n' "$1" "$2" "$3" "$4"
  printf '%-30s verify %7.2f s %7.2f s %6s MB   wall %.2f x, cpu %.2f x\n' "" "$5" "$6" "$7" \
    "$(echo "$5 / $2" | bc -l)" "$(echo "$6 / $3" | bc -l)"
}
line "$rows rows (all 67 tables)" "$import_s" "$import_cpu" "$import_mb" "$verify_s" "$verify_cpu" \
  "$verify_mb"
line "$((rows / 10)) rows" "$small_import_s" "$small_import_cpu" "$small_import_mb" "$small_verify_s" \
  "$small_verify_cpu" "$small_verify_mb"
line "$((rows * 3)) rows" "$large_import_s" "$large_import_cpu" "$large_import_mb" "$large_verify_s" \
  "$large_verify_cpu" "$large_verify_mb"
