#!/usr/bin/env bash
# zuna-sample's command line: row counts are digits within a bound, a missing parent folder is an
# error, --help is not a failure, and a run says what it wrote.
# Usage: sample_cli_test.sh ZUNA_SAMPLE
set -uo pipefail
sample=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# Runs zuna-sample with a file-size limit and a timeout, so a count that wraps fails fast
# instead of filling the disk. Sets $status, $out and $err.
run() {
  (ulimit -f 20480 && timeout 20 "$sample" "$@" >"$work/out" 2>"$work/err")
  status=$?
  out=$(cat "$work/out")
  err=$(cat "$work/err")
}

for bad in -5 +5 " 5" 5x 1e3 "" 0x10 99999999999999999999999 10000001; do
  run generate --rows "$bad" "$work/bad"
  [ "$status" = 2 ] || fail "--rows '$bad' exits $status, not 2"
  [[ "$err" == *"is not a number of rows"* ]] || fail "--rows '$bad' says: $err"
  [ ! -e "$work/bad" ] || fail "--rows '$bad' wrote $work/bad"
  run generate --personnel-rows "$bad" "$work/bad"
  [ "$status" = 2 ] || fail "--personnel-rows '$bad' exits $status, not 2"
  rm -rf "$work/bad"
done

run generate --rows 2 "$work/no/such/parent/zuna"
[ "$status" = 1 ] || fail "a missing parent folder exits $status, not 1"
[[ "$err" == *"parent folder does not exist"* ]] || fail "a missing parent folder says: $err"
[ ! -e "$work/no" ] || fail "the missing parent folder was created"

touch "$work/file"
run generate --rows 2 "$work/file"
[ "$status" = 1 ] || fail "a FOLDER that is a file exits $status, not 1"

run --help
[ "$status" = 0 ] || fail "--help exits $status, not 0"
[[ "$out" == usage:* ]] || fail "--help prints: $out"
run generate --help
[ "$status" = 0 ] || fail "generate --help exits $status, not 0"

run
[ "$status" = 2 ] || fail "no command exits $status, not 2"
run bogus
[ "$status" = 2 ] || fail "a wrong command exits $status, not 2"

run generate --rows 0 --personnel-rows 3 "$work/zuna"
[ "$status" = 0 ] || fail "a good run exits $status: $err"
[ "$err" = "zuna-sample: wrote 67 tables with 4 rows into $work/zuna" ] ||
  fail "a good run says: $err"
[ "$(ls "$work/zuna" | grep -c '\.dbf$')" = 67 ] || fail "not 67 tables in $work/zuna"

[ "$failures" = 0 ] && echo "zuna-sample command line: ok"
exit $((failures > 0))
