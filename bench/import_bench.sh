#!/usr/bin/env bash
# The import of a sample data set with a large personnel table (the other tables small) into the
# embedded engine, with all its rules and logs, against, in the same run:
#  - the floor: the rows the import saved, inserted again into a fresh copy of the same empty
#    database by a plain SQLite loop (one prepared insert, one transaction, the values read
#    beforehand), then pk.sql run on it (plain_insert_loop);
#  - three peers on the same personnel table: a bare loader (mapped table, one prepared insert,
#    one transaction, no rules), GDAL's ogr2ogr, and Python dbfread + sqlite3 executemany.
# It prints the ratios and the goals they are held against, and the import's peak memory during
# the copy (its high-water mark when the personnel table is done) and over the whole run.
# Usage: bench/import_bench.sh BUILD_BIN [ROWS] [--import-only]
#   --import-only: the import and its memory alone (bench/import_memory.sh uses it)
set -euo pipefail
bin=$(cd "$1" && pwd)
rows=${2:-1000000}
import_only=${3:-}
work=$(mktemp -d /tmp/zuna-import-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT

now() { date +%s.%N; }
seconds() { echo "$2 - $1" | bc -l; }
rate() { printf '%.0f' "$(echo "$1 / $2" | bc -l)"; }
ratio() { printf '%.2f' "$(echo "$1 / $2" | bc -l)"; }

mkdir "$work/home"
cp "$bin"/*.sql "$work/home"/
"$bin/zuna-sample" generate --personnel-rows "$rows" "$work/home/zuna" >/dev/null 2>&1
"$bin/zuna-transfer" --home "$work/home" create-database >/dev/null
"$bin/zuna-transfer" --home "$work/home" create-tables >/dev/null
"$bin/zuna-transfer" --home "$work/home" alter >/dev/null
cp "$work/home/zuna.db" "$work/empty.db"
sync

# The import, its progress lines read as they come: when the personnel table is done, the
# process's high-water mark is the peak of the copy (pk.sql, which builds the indexes, comes
# last).
mkfifo "$work/progress"
t0=$(now)
/usr/bin/time -f %M -o "$work/import.rss" \
  "$bin/zuna-transfer" --home "$work/home" import >/dev/null 2>"$work/progress" &
timer=$!
copy_peak=NaN
while IFS= read -r line; do
  echo "$line" >>"$work/import.err"
  # The progress lines of the copy ("personnel: N of M rows, ...") come before its last line.
  if [[ $line == "personnel: "*" rows copied"* ]]; then
    import_pid=$(pgrep -P "$timer" zuna-transfer || true)
    [ -n "$import_pid" ] && copy_peak=$(awk '/^VmHWM/ {print $2}' "/proc/$import_pid/status")
  fi
done <"$work/progress"
wait "$timer" || [ $? -eq 3 ]
ours=$(seconds "$t0" "$(now)")
personnel_line=$(grep '^personnel: [0-9]* rows copied' "$work/import.err")
saved=$(echo "$personnel_line" | sed 's/^personnel: \([0-9]*\) rows copied.*/\1/')
per_second=$(echo "$personnel_line" | sed 's/.* \([0-9]*\) rows\/s.*/\1/')
refused=$(echo "$personnel_line" | sed -n 's/.* \([0-9]*\) refused.*/\1/p')
# The rate counts the rows read, refused ones included.
copy=$(echo "($saved + ${refused:-0}) / $per_second" | bc -l)
mb() { printf '%.1f MB' "$(echo "$1 / 1024" | bc -l)"; }

echo "personnel rows: $rows  ($personnel_line)"
printf 'zuna-transfer import (all 67 tables, pk.sql) %7.2f s  %8s rows/s\n' "$ours" "$(rate "$rows" "$ours")"
printf '  personnel copy                             %7.2f s  %8s rows/s  (goal: at least 200000)\n' "$copy" "$per_second"
printf '  peak memory: during the copy %s, whole run %s\n' "$(mb "$copy_peak")" "$(mb "$(tail -1 "$work/import.rss")")"
[ "$import_only" = --import-only ] && exit 0

cp "$work/empty.db" "$work/plain.db"
sync
read -r plain_rows loop index < <("$bin/plain_insert_loop" "$work/home/zuna.db" "$work/plain.db" \
  "$work/home/zuna/personnel.dbf" "$work/home/pk.sql")
floor=$(echo "$loop + $index" | bc -l)
printf 'plain SQLite loop (%s rows, one transaction) %7.2f s  %8s rows/s\n' "$plain_rows" "$loop" "$(rate "$plain_rows" "$loop")"
printf 'index build (pk.sql)                        %7.2f s\n' "$index"
printf '  the import takes %s x the plain loop and the index build (goal: at most 1.15)\n' "$(ratio "$ours" "$floor")"
rm -f "$work/plain.db"

t0=$(now)
"$bin/bare_loader" "$work/home/zuna/personnel.dbf" "$work/bare.db" >/dev/null
bare=$(seconds "$t0" "$(now)")
rm -f "$work/bare.db"
printf 'bare loader (no rules)                      %7.2f s  %8s rows/s  ours takes %s x its time\n' "$bare" "$(rate "$rows" "$bare")" "$(ratio "$ours" "$bare")"

if command -v ogr2ogr >/dev/null; then
  t0=$(now)
  ogr2ogr -f SQLite "$work/ogr.db" "$work/home/zuna/personnel.dbf" >/dev/null 2>&1
  ogr=$(seconds "$t0" "$(now)")
  rm -f "$work/ogr.db"
  printf 'ogr2ogr                                     %7.2f s  %8s rows/s  ours is %s x faster (goal: at least 10)\n' "$ogr" "$(rate "$rows" "$ogr")" "$(ratio "$ogr" "$ours")"
fi

t0=$(now)
/usr/bin/python3 - "$work/home/zuna/personnel.dbf" "$work/python.db" <<'PY'
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
printf 'python dbfread + sqlite3                    %7.2f s  %8s rows/s  ours is %s x faster\n' "$python" "$(rate "$rows" "$python")" "$(ratio "$python" "$ours")"
