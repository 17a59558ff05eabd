#!/usr/bin/python3
"""zuna-transfer import stopped by SIGINT and SIGTERM in the middle of a table. The import waits
inside the table (ZUNA_TEST_PAUSE_AT) until the test has sent its signal, so the signal lands
there on any machine. Then: exit 130 (143 for SIGTERM), a database that passes PRAGMA
integrity_check with no hot journal, the saved count of the summary equal to the rows in the
table, the closing summary printed, and import_errors ending with where the import stopped.

Usage: interrupt_cli_test.py ZUNA_TRANSFER ZUNA_SAMPLE
"""
import json
import os
import shutil
import signal
import sqlite3
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

TRANSFER, SAMPLE = sys.argv[1], sys.argv[2]
def prepare(home):
    os.mkdir(home)
    scripts = os.path.dirname(TRANSFER)
    for script in os.listdir(scripts):
        if script.endswith(".sql"):
            shutil.copy(os.path.join(scripts, script), home)
    for command in ("create-database", "create-tables"):
        subprocess.run([TRANSFER, "--home", home, command], check=True, capture_output=True)
    subprocess.run([SAMPLE, "generate", "--rows", "5", "--personnel-rows", "6000",
                    os.path.join(home, "zuna")], check=True, capture_output=True)


def interrupt(home, table, rows, signal_number):
    """Runs the import, sends the signal once it waits at `rows` rows of `table`."""
    env = dict(os.environ, ZUNA_NO_VIEWER="1", ZUNA_TEST_PAUSE_AT=f"{table}:{rows}")
    summary = os.path.join(home, "summary.json")
    process = subprocess.Popen([TRANSFER, "--home", home, "import", "--summary", summary],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    seen = []
    paused_at = None
    for line in process.stderr:
        seen.append(line)
        if line.startswith(f"paused at {table} row "):
            paused_at = int(line.split()[-1])
            break
    check(paused_at is not None, f"the import never paused in {table}: {''.join(seen)}")
    process.send_signal(signal_number)
    try:
        out, err = process.communicate(timeout=120)
    except subprocess.TimeoutExpired:
        process.kill()
        out, err = process.communicate()
        check(False, f"the import did not stop after {signal.Signals(signal_number).name}")
    return process.returncode, out, "".join(seen) + err, paused_at, summary


def check_interrupted(home, signal_number, table, expected_status):
    name = signal.Signals(signal_number).name
    status, out, err, paused_at, summary_path = interrupt(home, table, 2000, signal_number)
    if paused_at is None:
        return
    check(status == expected_status, f"{name}: exit {status}, expected {expected_status}")
    check("Completed" not in out, f"{name}: an interrupted import does not say Completed: {out}")

    database = os.path.join(home, "zuna.db")
    check(not os.path.exists(database + "-journal") and not os.path.exists(database + "-wal"),
          f"{name}: a journal was left beside the database")
    db = sqlite3.connect(database)
    check(db.execute("pragma integrity_check").fetchall() == [("ok",)],
          f"{name}: the database is damaged")
    in_table = db.execute(f'select count(*) from "{table}"').fetchone()[0]
    later = db.execute("select count(*) from paybill").fetchone()[0]
    keys = db.execute("select count(*) from sqlite_schema where name = 'ix_personnel_id_no'")
    check(later == 0, f"{name}: a table after the stop was copied ({later} paybill rows)")
    check(keys.fetchone()[0] == 0, f"{name}: pk.sql ran after the stop")
    db.close()

    with open(summary_path, encoding="utf-8") as f:
        summary = json.load(f)
    check(summary["exit_status"] == expected_status, f"{name}: summary exit_status {summary}")
    check(summary["interrupted"] == {"signal": name, "table": table, "after_row": paused_at},
          f"{name}: summary says {summary['interrupted']}, paused at row {paused_at}")
    check(not summary["completed"] and not summary["keys_applied"],
          f"{name}: the summary claims a whole import")
    copied = summary["tables"][-1]
    check(copied["table"] == table and copied["interrupted"] and
          copied["rows_read"] == paused_at and copied["rows_saved"] == in_table and
          copied["rows_saved"] + copied["rows_refused"] == paused_at,
          f"{name}: summary {copied}, {in_table} rows in the table, paused at {paused_at}")
    check(in_table > 0, f"{name}: nothing was saved before the stop")

    # The closing table on standard error: the interrupted table with its saved rows.
    row = [line.split() for line in err.splitlines() if line.startswith(table + " ")]
    check(row and row[-1][2] == str(in_table) and row[-1][-1] == "INTERRUPTED",
          f"{name}: the closing summary: {row}")
    check(f"rows saved {summary['totals']['rows_saved']}," in err,
          f"{name}: the totals line: {err[-600:]}")
    check(f"zuna-transfer import: interrupted by {name} after source row {paused_at} of {table};"
          in err, f"{name}: the closing line says where: {err[-600:]}")

    with open(os.path.join(home, "import_errors"), "rb") as f:
        lines = f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]
    check(lines and lines[-1].startswith(
        f"{table}\t0\t\t4\tthe import was interrupted by {name} after source row {paused_at} of "
        f"{table}: every row up to there is saved or listed here"),
        f"{name}: the last line of import_errors: {lines[-1:] if lines else lines}")
    refused_rows = [l for l in lines if l.startswith(f"{table}\t") and l.split("\t")[1] != "0"]
    check(len(refused_rows) == copied["rows_refused"],
          f"{name}: {copied['rows_refused']} refused, {len(refused_rows)} listed")


def main():
    work = tempfile.mkdtemp(prefix="zuna-interrupt-")
    try:
        home = os.path.join(work, "sigint")
        prepare(home)
        check_interrupted(home, signal.SIGINT, "personnel", 130)
        home = os.path.join(work, "sigterm")
        prepare(home)
        check_interrupted(home, signal.SIGTERM, "personnel", 143)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if checks["failed"]:
        print(f"{checks['failed']} failed")
        sys.exit(1)
    print("interrupted imports: ok")


main()
