#!/usr/bin/env bash
# The personnel table of a sample data set loaded into the database servers, in one run:
# Debian's pgloader (the peer) from personnel.dbf into a database of its own on the PostgreSQL
# test server, and our own import into the database zuna of each server: on PostgreSQL once
# with the rows through libpq's COPY (the default) and once through ODBC (PostgresCopy = No),
# on MariaDB through ODBC.
#
# Ours is the whole import of the sample (zuna-transfer import: every table of the sample, with
# the date rules, the anomaly logs, per-row refusals and pk.sql at the end), after
# create-database, create-tables and alter, which are not timed. Two figures: the import's
# wall time, and the personnel table's own seconds from the import's JSON summary, which is
# what compares with pgloader's load of that one table (pgloader's time includes its start).
#
# Usage: bench/server_import_bench.sh BUILD_BIN [ROWS]
#   BUILD_BIN  the program folder of a build (zuna-sample, zuna-transfer, the scripts)
#   ROWS       personnel rows in the sample (default 1,000,000; every 50th is marked deleted)
#
# ZUNA_BENCH_ODBC_PATH=no leaves out the PostgreSQL import through ODBC (the slow one).
#
# Uses the test servers named by ZUNA_TEST_SERVERS when they are running (see
# `tools/test_servers.sh env DIR`); otherwise starts its own in a scratch folder and stops them
# at the end. pgloader is a dependency of this benchmark alone: installed here when missing.
set -euo pipefail
[ $# -ge 1 ] && [ $# -le 2 ] || {
  echo "usage: $0 BUILD_BIN [ROWS]" >&2
  exit 2
}
bin=$(cd "$1" && pwd)
rows=${2:-1000000}
[[ $rows =~ ^[1-9][0-9]*$ ]] || {
  echo "ROWS must be a positive number: $rows" >&2
  exit 2
}
source_dir=$(cd "$(dirname "$0")/.." && pwd)
readonly kUser=zuna kPassword=zuna-test # tools/test_servers.sh
readonly kPeerDatabase=zuna_pgloader

if ! command -v pgloader >/dev/null; then
  echo "installing pgloader (Debian's package), for this benchmark only" >&2
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends pgloader \
    >/dev/null
fi

work=$(mktemp -d /tmp/zuna-server-bench.XXXXXX)
servers=""
started=""
cleanup() {
  [ -n "$started" ] && "$source_dir/tools/test_servers.sh" stop "$servers" || true
  rm -rf "$work"
}
trap cleanup EXIT

psql_on() { # psql_on DATABASE ARGS...: psql as the tests' login, on the servers' socket
  local database=$1
  shift
  PGPASSWORD=$kPassword PGOPTIONS="-c client_min_messages=warning" psql -X -q \
    -v ON_ERROR_STOP=1 -h "$servers/pg-run" -U "$kUser" -d "$database" "$@"
}

if [ -n "${ZUNA_TEST_SERVERS:-}" ] && [ -S "$ZUNA_TEST_SERVERS/pg-run/.s.PGSQL.5432" ]; then
  servers=$ZUNA_TEST_SERVERS
  echo "using the running test servers in $servers" >&2
else
  # Short and under /tmp: a unix socket's path has at most 107 bytes.
  servers=$(mktemp -u /tmp/zuna-bench-servers.XXXXXX)
  "$source_dir/tools/test_servers.sh" start "$servers"
  started=1
fi
# The data sources of those servers, whatever ODBCINI the caller had.
eval "$("$source_dir/tools/test_servers.sh" env "$servers")"

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }
rate() { printf '%.0f' "$(echo "$1 / $2" | bc -l)"; }

"$bin/zuna-sample" generate --personnel-rows "$rows" "$work/zuna" >/dev/null
kept=$((rows - rows / 50)) # rows not marked deleted: what a load should leave in the table

# --- The peer: pgloader, from the same .dbf, into a database of its own ---------------------
psql_on postgres -c "DROP DATABASE IF EXISTS $kPeerDatabase" -c "CREATE DATABASE $kPeerDatabase"
t0=$(now)
PGPASSWORD=$kPassword pgloader --quiet --root-dir "$work/pgloader" --type dbf \
  "$work/zuna/personnel.dbf" \
  "postgresql://$kUser@unix:$servers/pg-run:5432/$kPeerDatabase?tablename=personnel" \
  >"$work/pgloader.out" 2>&1 || {
  cat "$work/pgloader.out" >&2
  exit 1
}
peer=$(seconds "$t0" "$(now)")
peer_rows=$(psql_on "$kPeerDatabase" -A -t -c "SELECT count(*) FROM personnel")
psql_on postgres -c "DROP DATABASE $kPeerDatabase"

# --- Ours: zuna-transfer import into the database zuna of each server ----------------------
maria_on() { # maria_on ARGS...: the mariadb client as the tests' login, on the servers' socket
  mariadb --no-defaults --socket="$servers/maria-run/mysqld.sock" -u "$kUser" -p"$kPassword" "$@"
}
# ours NAME DSN SCRIPTS COPY: prints "wall personnel_seconds personnel_saved personnel_read".
ours() {
  local name=$1 dsn=$2 scripts=$3 copy=$4
  local home="$work/home-$name"
  mkdir -p "$home"
  cp "$bin/$scripts"/*.sql "$home"/
  ln -s "$work/zuna" "$home/zuna"
  printf '[pay]\nDriver = odbc\nConnectionString = DSN=%s;Database=zuna\nPostgresCopy = %s\n\n[server]\nDriver = odbc\nConnectionString = DSN=%s;Database={catalog}\n' \
    "$dsn" "$copy" "$dsn" >"$home/zuna.ini"
  for command in create-database create-tables alter; do
    "$bin/zuna-transfer" --home "$home" -q "$command" >"$work/$name.$command" 2>&1 || {
      cat "$work/$name.$command" >&2
      return 1
    }
  done
  local t0 status=0
  t0=$(now)
  # Exit 3: the sample's refused rows are listed in import_errors.
  "$bin/zuna-transfer" --home "$home" -q import --summary "$work/$name.json" \
    >"$work/$name.out" 2>&1 || status=$?
  local wall
  wall=$(seconds "$t0" "$(now)")
  if [ "$status" -ne 0 ] && [ "$status" -ne 3 ]; then
    cat "$work/$name.out" >&2
    return 1
  fi
  python3 - "$work/$name.json" "$wall" <<'PY'
import json, sys
summary = json.load(open(sys.argv[1]))
personnel = next(t for t in summary["tables"] if t["table"] == "personnel")
print(sys.argv[2], personnel["seconds"], personnel["rows_saved"], personnel["rows_read"])
PY
}
fresh_postgres() { psql_on postgres -c "DROP DATABASE IF EXISTS zuna"; }
fresh_mariadb() { maria_on -e "DROP DATABASE IF EXISTS zuna"; }
in_postgres() { psql_on zuna -A -t -c 'SELECT count(*) FROM personnel'; }
in_mariadb() { maria_on -N -B zuna -e 'SELECT count(*) FROM personnel'; }

fresh_postgres
read -r copy_wall copy_table copy_saved copy_read < <(ours pg-copy zuna_postgres postgresql Yes)
copy_rows=$(in_postgres)
if [ "${ZUNA_BENCH_ODBC_PATH:-yes}" = yes ]; then
  fresh_postgres
  read -r odbc_wall odbc_table odbc_saved odbc_read < <(ours pg-odbc zuna_postgres postgresql No)
  odbc_rows=$(in_postgres)
fi
fresh_postgres
fresh_mariadb
read -r maria_wall maria_table maria_saved maria_read < <(ours maria zuna_mariadb mariadb No)
maria_rows=$(in_mariadb)
fresh_mariadb

pg_version=$(psql_on postgres -A -t -c "SHOW server_version")
echo "personnel rows: $rows in personnel.dbf, $kept not marked deleted"
echo "PostgreSQL $pg_version, $(pgloader --version | sed -n 1p)"
printf 'pgloader into PostgreSQL      %7.2f s  %8s rows/s of the .dbf  (%s rows loaded%s)\n' "$peer" \
  "$(rate "$rows" "$peer")" "$peer_rows" \
  "$([ "$peer_rows" = "$kept" ] || echo ", expected $kept")"
# ours_line LABEL WALL TABLE SAVED READ IN_TARGET
ours_line() {
  printf '%-29s %7.2f s  %8s rows/s of the .dbf  (%s rows saved of %s read, %s in the table%s; whole import %.2f s)\n' \
    "$1" "$3" "$(rate "$rows" "$3")" "$4" "$5" "$6" "$([ "$4" = "$6" ] || echo ", NOT EQUAL")" "$2"
}
ours_line "ours into PostgreSQL (COPY)" "$copy_wall" "$copy_table" "$copy_saved" "$copy_read" \
  "$copy_rows"
if [ "${ZUNA_BENCH_ODBC_PATH:-yes}" = yes ]; then
  ours_line "ours into PostgreSQL (ODBC)" "$odbc_wall" "$odbc_table" "$odbc_saved" "$odbc_read" \
    "$odbc_rows"
else
  odbc_saved=0 odbc_rows=0 # not run: ZUNA_BENCH_ODBC_PATH=no
fi
ours_line "ours into MariaDB (ODBC)" "$maria_wall" "$maria_table" "$maria_saved" "$maria_read" \
  "$maria_rows"
printf 'pgloader / ours with COPY: %.2f (personnel table), %.2f (whole import)\n' \
  "$(echo "$peer / $copy_table" | bc -l)" "$(echo "$peer / $copy_wall" | bc -l)"
echo "load: $(uptime)"
[ "$peer_rows" = "$kept" ] && [ "$copy_saved" = "$copy_rows" ] && [ "$odbc_saved" = "$odbc_rows" ] &&
  [ "$maria_saved" = "$maria_rows" ]
