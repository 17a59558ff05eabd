#!/usr/bin/env bash
# zuna-transfer verify as a user runs it after an import of the sample data: exit 0 and a JSON
# summary when every row is accounted for (also with a memory budget that spills to disk), exit 3
# naming the table when a value was changed, 2 for a wrong argument, 1 when the target cannot be
# opened or the summary cannot be written.
set -euo pipefail
bin=$1
sample=$2
sql=$3
home=$(mktemp -d)
trap 'rm -rf "$home"' EXIT
fail() { echo "$*"; exit 1; }
run() { set +e; "$bin" --home "$home" "$@" >"$home/out" 2>"$home/err"; status=$?; set -e; }

cp "$sql"/*.sql "$home"/
"$sample" generate --rows 30 --personnel-rows 60 "$home/zuna" >/dev/null
for step in create-database create-tables alter; do "$bin" --home "$home" "$step" >/dev/null; done
"$bin" --home "$home" import >/dev/null 2>&1 || [ $? -eq 3 ]

run verify --summary "$home/summary.json"
[ "$status" = 0 ] || fail "verify after a clean import: exit $status: $(cat "$home/out")"
grep -qx "every row is accounted for" "$home/out" || fail "no verdict line: $(cat "$home/out")"
grep -q "^personnel: [0-9]* source rows, [0-9]* equal, " "$home/out" || fail "no personnel line"
grep -qx "$home/verify_rpt" "$home/err" || fail "the report's path is not on standard error"
head -c 200 "$home/verify_rpt" | grep -q $'\r$' || fail "verify_rpt lines do not end in CR LF"
/usr/bin/python3 - "$home/summary.json" <<'PY' || fail "summary.json is not as expected"
import json, sys
summary = json.load(open(sys.argv[1]))
assert summary["command"] == "verify" and summary["exit_status"] == 0, summary
assert summary["accounted_for"] is True
assert len(summary["tables"]) == 67, len(summary["tables"])
personnel = next(t for t in summary["tables"] if t["table"] == "personnel")
assert personnel["equal"] + personnel["refused_logged"] == personnel["source_rows"], personnel
PY

run verify --memory 1K
[ "$status" = 0 ] || fail "verify spilling to disk: exit $status"

/usr/bin/python3 - "$home/zuna.db" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("UPDATE cca SET cca_amt = cca_amt + 1 WHERE rowid = 2")
db.commit()
PY
run verify --summary "$home/summary.json"
[ "$status" = 3 ] || fail "verify after a changed value: exit $status, not 3"
grep -q "^cca: .* 1 changed  << NOT ACCOUNTED FOR$" "$home/out" || fail "cca not named: $(cat "$home/out")"
[ "$(grep -c "NOT ACCOUNTED FOR$" "$home/out")" = 1 ] || fail "more than cca named"
/usr/bin/python3 - "$home/summary.json" <<'PY' || fail "summary.json does not name the change"
import json, sys
summary = json.load(open(sys.argv[1]))
assert summary["exit_status"] == 3 and summary["accounted_for"] is False
cca = next(t for t in summary["tables"] if t["table"] == "cca")
assert cca["changed"] == 1 and cca["changed_rows"][0]["columns"] == ["cca_amt"], cca
PY
grep -q "^  changed:" "$home/verify_rpt" || fail "verify_rpt lists no change"

for args in "--memory" "--memory lots" "--summary" "--bogus"; do
  # shellcheck disable=SC2086
  run verify $args
  [ "$status" = 2 ] || fail "verify $args: exit $status, not 2"
done
run verify --summary "$home/no_such_folder/summary.json"
[ "$status" = 1 ] || fail "a summary that cannot be written: exit $status, not 1"
printf '[pay]\nDriver = odbc\nDSN = no_such_source\n' >"$home/zuna.ini"
run verify
[ "$status" = 1 ] || fail "a target that does not open: exit $status, not 1"
echo "verify command: ok"
