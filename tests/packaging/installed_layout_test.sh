#!/usr/bin/env bash
# Where a program works and finds its scripts, with the real executable laid out twice:
# installed (<prefix>/bin with <prefix>/share/zuna-transfer) and as a copy with its scripts
# beside it. Usage: installed_layout_test.sh ZUNA_TRANSFER SQL_DIR
set -euo pipefail

program=$1
sql_dir=$2
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
unset ZUNA_HOME

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

# Tables of the embedded database file $1, one name a line.
tables_of() {
  /usr/bin/python3 -c 'import sqlite3, sys
for (name,) in sqlite3.connect(sys.argv[1]).execute(
        "select name from sqlite_master where type = '"'table'"' order by name"):
    print(name)' "$1"
}

prefix=$scratch/prefix
mkdir -p "$prefix/bin" "$prefix/share/zuna-transfer"
cp "$program" "$prefix/bin/zuna-transfer"
cp "$sql_dir"/*.sql "$prefix/share/zuna-transfer/"
installed=$prefix/bin/zuna-transfer
listing_before=$(cd "$prefix" && find . | sort)

# Installed, in an empty folder: the current directory is the program folder and the scripts
# come from the installation.
work=$scratch/work
mkdir "$work"
(cd "$work" && "$installed" create-database && "$installed" create-tables) >"$scratch/out" 2>&1 ||
  fail "installed create-database/create-tables: $(cat "$scratch/out")"
[ -f "$work/zuna.db" ] || fail "installed: no zuna.db in the current directory"
[ "$(tables_of "$work/zuna.db" | wc -l)" -eq 67 ] || fail "installed: the tables were not created"
[ "$(cd "$prefix" && find . | sort)" = "$listing_before" ] ||
  fail "installed: something was written into the installation"
if [ "$(ls -A "$work")" != zuna.db ]; then
  fail "installed: the program folder holds more than the database: $(ls -A "$work")"
fi

# A script in the program folder is preferred to the installed one.
own=$scratch/own
mkdir "$own"
printf 'CREATE TABLE own_table (a int)\r\n' >"$own/CreateTableScript.sql"
(cd "$own" && "$installed" create-database && "$installed" create-tables) >"$scratch/out" 2>&1 ||
  fail "own script: $(cat "$scratch/out")"
[ "$(tables_of "$own/zuna.db")" = own_table ] ||
  fail "own script: the program folder's CreateTableScript.sql did not run"

# A script missing in both places is named in the program folder, and the command fails.
rm "$prefix/share/zuna-transfer/ALTER.sql"
status=0
(cd "$work" && "$installed" alter) >"$scratch/out" 2>&1 || status=$?
[ "$status" -eq 1 ] || fail "missing script: exit $status, expected 1"
grep -qF "$work/ALTER.sql" "$scratch/out" ||
  fail "missing script: the error does not name $work/ALTER.sql: $(cat "$scratch/out")"
cp "$sql_dir/ALTER.sql" "$prefix/share/zuna-transfer/"

# --home and ZUNA_HOME name the program folder of an installed program too.
mkdir "$scratch/home" "$scratch/env" "$scratch/elsewhere"
(cd "$scratch/elsewhere" && "$installed" --home "$scratch/home" create-database &&
  ZUNA_HOME=$scratch/env "$installed" create-database) >"$scratch/out" 2>&1 ||
  fail "--home/ZUNA_HOME: $(cat "$scratch/out")"
[ -f "$scratch/home/zuna.db" ] || fail "--home: nothing created in the named folder"
[ -f "$scratch/env/zuna.db" ] || fail "ZUNA_HOME: nothing created in the named folder"
[ -z "$(ls -A "$scratch/elsewhere")" ] || fail "--home/ZUNA_HOME: the current directory was used"

# A copy with its scripts beside it keeps working in its own folder, wherever it is started.
copy=$scratch/copy
mkdir "$copy"
cp "$program" "$copy/zuna-transfer"
cp "$sql_dir"/*.sql "$copy/"
mkdir "$scratch/cwd"
(cd "$scratch/cwd" && "$copy/zuna-transfer" create-database &&
  "$copy/zuna-transfer" create-tables) >"$scratch/out" 2>&1 || fail "copy: $(cat "$scratch/out")"
[ -f "$copy/zuna.db" ] || fail "copy: no zuna.db beside the program"
[ -z "$(ls -A "$scratch/cwd")" ] || fail "copy: the current directory was written"

# A copy without its scripts does not borrow another installation's.
rm "$copy/ALTER.sql"
status=0
(cd "$scratch/cwd" && "$copy/zuna-transfer" alter) >"$scratch/out" 2>&1 || status=$?
{ [ "$status" -eq 1 ] && grep -qF "$copy/ALTER.sql" "$scratch/out"; } ||
  fail "copy without ALTER.sql: exit $status: $(cat "$scratch/out")"

if [ "$failures" -ne 0 ]; then
  echo "$failures failed" >&2
  exit 1
fi
echo "installed and copied layouts: all checks passed"
