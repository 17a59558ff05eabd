#!/usr/bin/env bash
# The schema commands on a fresh program folder: the three commands create zuna.db with all 67
# tables, and a second create-database reports the engine's error with exit status 1.
set -euo pipefail
bin=$1
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
cp "$(dirname "$bin")"/*.sql "$home"/

out=$("$bin" --home "$home" create-database && "$bin" --home "$home" create-tables &&
      "$bin" --home "$home" alter)
expected=$'Database Created\nTable Created\nTable Altered\ninformation (ZUNA): Create DSN \'pay\' for SQL Server,Otherwise error occure!!!'
[ "$out" = "$expected" ] || { echo "unexpected output: $out"; exit 1; }

tables=$(/usr/bin/python3 -c "import sqlite3,sys; print(sqlite3.connect(sys.argv[1]).execute(\"select count(*) from sqlite_schema where type='table'\").fetchone()[0])" "$home/zuna.db")
[ "$tables" = 67 ] || { echo "expected 67 tables, found $tables"; exit 1; }

set +e
again=$("$bin" --home "$home" create-database)
status=$?
set -e
[ "$status" = 1 ] || { echo "expected exit 1, got $status"; exit 1; }
[[ "$again" == "error 1801: "*"already exists"* ]] || { echo "unexpected: $again"; exit 1; }

set +e
"$bin" --home "$home" bogus-command 2>/dev/null
[ $? = 2 ] || { echo "a wrong command must exit 2"; exit 1; }
set -e
echo "schema commands: ok"
