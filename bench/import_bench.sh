#!/usr/bin/env bash
# The import of a sample data set with a 1,000,000-row personnel table (the other tables small)
# into the embedded engine, with all its rules and logs, against three peers run on the same
# personnel table in the same run: GDAL's ogr2ogr, Python dbfread + sqlite3 executemany, and a
# bare loader (mapped table, one prepared insert, one transaction, no rules).
# Usage: bench/import_bench.sh BUILD_BIN [ROWS]
set -euo pipefail
bin=$(cd "$1" && pwd)
rows=${2:-1000000}
work=$(mktemp -d /tmp/zuna-import-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }

cp "$bin"/*.sql "$work"/
"$bin/zuna-sample" generate --personnel-rows "$rows" "$work/zuna"
"$bin/zuna-transfer" --home "$work" create-database >/dev/null
"$bin/zuna-transfer" --home "$work" create-tables >/dev/null
"$bin/zuna-transfer" --home "$work" alter >/dev/null

t0=$(now)
"$bin/zuna-transfer" --home "$work" import >/dev/null 2>"$work/import.err" || [ $? -eq 3 ]
ours=$(seconds "$t0" "$(now)")
personnel_line=$(grep '^personnel: ' "$work/import.err")

t0=$(now)
"$bin/bare_loader" "$work/zuna/personnel.dbf" "$work/bare.db" >/dev/null
bare=$(seconds "$t0" "$(now)")

ogr=NaN
if command -v ogr2ogr >/dev/null; then
  t0=$(now)
  ogr2ogr -f SQLite "$work/ogr.db" "$work/zuna/personnel.dbf" >/dev/null 2>&1
  ogr=$(seconds "$t0" "$(now)")
fi

t0=$(now)
/usr/bin/python3 - "$work/zuna/personnel.dbf" "$work/python.db" <<'PY'
import sqlite3, sys
import dbfread
table = dbfread.DBF(sys.argv[1], encoding="cp1252")
names = [f.name for f in table.fields]
db = sqlite3.connect(sys.argv[2])
db.execute("CREATE TABLE personnel (%s)" % ", ".join(names))
db.executemany("INSERT INTO personnel VALUES (%s)" % ", ".join("?" * len(names)),
               (tuple(r.values()) for r in table))
db.commit()
PY
python=$(seconds "$t0" "$(now)")

rate() { printf '%.0f' "$(echo "$rows / $1" | bc -l)"; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }
echo "personnel rows: $rows  ($personnel_line)"
printf 'zuna-transfer import (all 67 tables)  %7.2f s  %8s rows/s\n' "$ours" "$(rate "$ours")"
printf 'bare loader (no rules)               %7.2f s  %8s rows/s  ours takes %s x its time\n' "$bare" "$(rate "$bare")" "$(ratio "$ours" "$bare")"
if [ "$ogr" != NaN ]; then
  printf 'ogr2ogr                              %7.2f s  %8s rows/s  ours is %s x faster\n' "$ogr" "$(rate "$ogr")" "$(ratio "$ogr" "$ours")"
fi
printf 'python dbfread + sqlite3             %7.2f s  %8s rows/s  ours is %s x faster\n' "$python" "$(rate "$python")" "$(ratio "$python" "$ours")"
