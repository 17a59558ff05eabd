#!/usr/bin/env bash
# Files the command line writes or reads that fail: each failure is said with its number and
# description, and the exit status never claims work that was not done. A file name in the
# program folder that is a link to /dev/full stands for a disk that is full.
set -euo pipefail
bin=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$(dirname "$bin")"/*.sql "$home"/
mkdir "$home/zuna"
# One catalogued table without rows (dBase III, one field DEPT_CODE C 4), so that the import has
# something to read: a data folder that holds none of the catalogued tables is refused at once.
zeros() { head -c "$1" /dev/zero; }
{
  printf '\x03\x7c\x01\x01\x00\x00\x00\x00\x41\x00\x05\x00'
  zeros 20
  printf 'DEPT_CODE'
  zeros 2
  printf 'C'
  zeros 4
  printf '\x04\x00'
  zeros 14
  printf '\x0d\x1a'
} >"$home/zuna/department.dbf"
"$bin" --home "$home" create-database >/dev/null
"$bin" --home "$home" create-tables >/dev/null

fail() { echo "FAIL: $*"; exit 1; }

# Runs the tool; sets $out (standard output) and $status.
run() {
  set +e
  out=$("$bin" --home "$home" "$@" 2>/dev/null)
  status=$?
  set -e
}

# import_errors on a full disk: the closing message says so, and the exit status is not 0 or 3,
# which would promise that the log lists every failure.
ln -s /dev/full "$home/import_errors"
run import
[ "$status" = 1 ] || fail "import with a full import_errors: exit $status, expected 1"
[[ "$out" == *"the log import_errors could not be written (error 28: "*"No space left on device)"* ]] ||
  fail "import with a full import_errors: $out"
rm "$home/import_errors"

# The column listing on a full disk: an error, not exit 0 with an empty "fields".
ln -s /dev/full "$home/fields"
run list-fields
[ "$status" = 1 ] || fail "list-fields on a full disk: exit $status, expected 1"
[ "$out" = "error 28: $home/fields: No space left on device" ] || fail "list-fields: $out"
rm "$home/fields"

# A script path that is a folder: the system's own error, not a made-up I/O error.
mv "$home/ALTER.sql" "$home/ALTER.sql.kept"
mkdir "$home/ALTER.sql"
run alter
[ "$status" = 1 ] || fail "alter with a folder for its script: exit $status, expected 1"
[ "$out" = "error 21: $home/ALTER.sql: Is a directory" ] || fail "alter with a folder: $out"
rmdir "$home/ALTER.sql"
mv "$home/ALTER.sql.kept" "$home/ALTER.sql"

# zuna.ini with a UTF-8 byte-order mark, and saved as "Unicode" (UTF-16 LE): its first section
# counts. An unknown driver in it makes the command fail, with the line, where a hidden section
# would not.
expected="error 3001: $home/zuna.ini line 2: [pay] Driver \"nosuch\" is not dbf, sqlite or odbc"
printf '\xEF\xBB\xBF[pay]\r\nDriver = nosuch\r\n' >"$home/zuna.ini"
run list-fields
[ "$status" = 1 ] && [ "$out" = "$expected" ] || fail "zuna.ini with a UTF-8 mark: $status $out"
{ printf '\xFF\xFE'; printf '[pay]\r\nDriver = nosuch\r\n' | iconv -f ASCII -t UTF-16LE; } \
  >"$home/zuna.ini"
run list-fields
[ "$status" = 1 ] && [ "$out" = "$expected" ] || fail "zuna.ini in UTF-16: $status $out"
rm "$home/zuna.ini"

echo "file failures: ok"
