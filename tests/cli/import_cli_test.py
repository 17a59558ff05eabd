#!/usr/bin/python3
"""zuna-transfer import and report as a script drives them: the safe defaults (a target that
already holds rows, a data folder with nothing to import), the first line of standard error,
zuna.ini's findings, the report's exit statuses, and the JSON of --summary checked with Python's
json module against the database and against python3-dbfread.

Usage: import_cli_test.py ZUNA_TRANSFER ZUNA_SAMPLE
"""
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

import dbfread

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

TRANSFER, SAMPLE = sys.argv[1], sys.argv[2]
SCRIPTS = os.path.dirname(TRANSFER)
ISO_UTC = re.compile(r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\dZ$")
def environment(home, **extra):
    # No data source of the machine's or the user's odbc.ini may stand in for the defaults.
    env = dict(os.environ, ZUNA_NO_VIEWER="1", ODBCINI=os.path.join(home, "odbc.ini"),
               ODBCSYSINI=home)
    env.update(extra)
    return env


def run(home, *args, **extra):
    return subprocess.run([TRANSFER, "--home", home, *args], capture_output=True, text=True,
                          env=environment(home, **extra))


def new_home(name, rows=20, personnel=300, refused=True, tables=True):
    home = os.path.join(WORK, name)
    os.mkdir(home)
    for script in os.listdir(SCRIPTS):
        if script.endswith(".sql"):
            shutil.copy(os.path.join(SCRIPTS, script), home)
    for command in ("create-database", "create-tables"):
        done = run(home, command)
        check(done.returncode == 0, f"{name}: {command}: {done.stdout}{done.stderr}")
    if tables:
        sample = [SAMPLE, "generate", "--rows", str(rows), "--personnel-rows", str(personnel)]
        if not refused:
            sample.append("--no-refused-rows")
        subprocess.run(sample + [os.path.join(home, "zuna")], check=True, capture_output=True)
    return home


def counts(home):
    db = sqlite3.connect(os.path.join(home, "zuna.db"))
    names = [r[0] for r in db.execute("select name from sqlite_schema where type = 'table'")]
    result = {name: db.execute(f'select count(*) from "{name}"').fetchone()[0] for name in names}
    db.close()
    return result


def foxpro_table(home, table):
    for name in os.listdir(os.path.join(home, "zuna")):
        if name.lower() == table.lower() + ".dbf":
            return dbfread.DBF(os.path.join(home, "zuna", name), load=False)
    return None


def load_summary(path, command, status):
    with open(path, encoding="utf-8") as f:
        summary = json.load(f)
    version = subprocess.run([TRANSFER, "--version"], capture_output=True, text=True).stdout
    check(summary["program"] == "zuna-transfer" and summary["command"] == command,
          f"{command}: the summary names its program and command: {summary['command']}")
    check("zuna-transfer " + summary["version"] == version.strip(),
          f"{command}: the summary's version is --version's: {summary['version']}")
    check(summary["exit_status"] == status,
          f"{command}: the summary says exit {summary['exit_status']}, the command exited {status}")
    check(ISO_UTC.match(summary["started"]) and ISO_UTC.match(summary["finished"]) and
          summary["started"] <= summary["finished"],
          f"{command}: times in ISO 8601 UTC, in order: {summary['started']} {summary['finished']}")
    check(not [n for n in os.listdir(os.path.dirname(path)) if ".partial-" in n],
          f"{command}: no partial summary file is left")
    return summary


def check_import_summary(home, summary):
    """Every copied table's counts against the database and python3-dbfread; the totals."""
    in_db = counts(home)
    totals = dict.fromkeys(("rows_read", "rows_saved", "rows_refused", "deleted_skipped"), 0)
    for table in summary["tables"]:
        name = table["table"]
        for key in totals:
            totals[key] += table[key]
        if table["outcome"] != "copied":
            continue
        check(table["rows_saved"] == in_db[name],
              f"{name}: summary says {table['rows_saved']} saved, the table holds {in_db[name]}")
        check(table["rows_read"] == table["rows_saved"] + table["rows_refused"],
              f"{name}: read {table['rows_read']} is not saved + refused")
        dbf = foxpro_table(home, name)
        if dbf is not None:
            deleted = sum(1 for _ in dbf.deleted)
            check(table["header_rows"] == dbf.header.numrecords,
                  f"{name}: header {table['header_rows']}, dbfread {dbf.header.numrecords}")
            check(table["deleted_skipped"] == deleted,
                  f"{name}: {table['deleted_skipped']} deleted skipped, dbfread {deleted}")
            check(table["rows_read"] == sum(1 for _ in dbf.records),
                  f"{name}: {table['rows_read']} read, dbfread delivers another number")
    for key, value in totals.items():
        check(summary["totals"][key] == value, f"totals.{key}: {summary['totals'][key]} != {value}")


def test_import_then_refusal_then_append(home):
    done = run(home, "import", "--summary", os.path.join(home, "import.json"))
    check(done.returncode == 3, f"import of the sample: exit {done.returncode}: {done.stderr[-500:]}")
    first = done.stderr.splitlines()[0]
    check(first == f"zuna-transfer import: source {home}/zuna (FoxPro tables; built-in default), "
                   f"target {home}/zuna.db (embedded SQLite; built-in default)",
          f"the first line names the source and the target: {first}")
    summary = load_summary(os.path.join(home, "import.json"), "import", 3)
    check(summary["completed"] and summary["refusal"] is None and summary["stopped"] is None and
          summary["interrupted"] is None and summary["keys_applied"],
          f"a whole import: {[summary[k] for k in ('completed', 'refusal', 'stopped')]}")
    check(summary["data_folder"] == f"{home}/zuna", f"data folder: {summary['data_folder']}")
    check(len(summary["tables"]) == 67, f"{len(summary['tables'])} tables in the summary")
    check(summary["totals"]["rows_refused"] > 0, "the sample's refused rows are counted")
    check(summary["log"] == {"file": "import_errors", "lines": summary["log"]["lines"],
                             "complete": True, "error": None}, f"log: {summary['log']}")
    check_import_summary(home, summary)
    before = counts(home)
    errors_before = open(os.path.join(home, "import_errors"), "rb").read()

    again = run(home, "import", "--summary", os.path.join(home, "again.json"))
    check(again.returncode == 1, f"a second import: exit {again.returncode}, expected 1")
    refusal = again.stderr.splitlines()[-1]
    check(refusal.startswith("zuna-transfer import: the target already holds rows in 67 "
                             f"catalogued tables: personnel {before['personnel']}, department "
                             f"{before['department']}, "),
          f"the refusal names the tables and their rows: {refusal}")
    check(refusal.endswith(f"and 57 more, {sum(before[t] for t in before if t in summary_tables(summary))} "
                           "rows in all. The import would add to them: give --append to do so, or "
                           "start from an empty database"), f"the refusal ends: {refusal}")
    check("Completed" not in again.stdout, "a refused import does not complete")
    check(counts(home) == before, "a refused import changes nothing in the database")
    check(open(os.path.join(home, "import_errors"), "rb").read() == errors_before,
          "a refused import leaves import_errors alone")
    refused = load_summary(os.path.join(home, "again.json"), "import", 1)
    check(refused["refusal"] == refusal[len("zuna-transfer import: "):] and
          refused["tables"] == [] and not refused["completed"],
          f"the refused import's summary: {refused['refusal']}")

    appended = run(home, "import", "--append")
    check(appended.returncode == 3, f"import --append: exit {appended.returncode}")
    after = counts(home)
    check(after["personnel"] == 2 * before["personnel"] and
          after["department"] == 2 * before["department"],
          f"--append adds the rows again: personnel {before['personnel']} -> {after['personnel']}")

    report = run(home, "report", "--summary", os.path.join(home, "report.json"))
    check(report.returncode == 3, f"a report of doubled tables: exit {report.returncode}")
    check("tables do not reconcile: " in report.stderr and "personnel (FoxPro " in report.stderr,
          f"the report names what does not reconcile: {report.stderr[-400:]}")
    check_report_summary(home, load_summary(os.path.join(home, "report.json"), "report", 3))


def summary_tables(summary):
    return {t["table"] for t in summary["tables"]}


def check_report_summary(home, summary):
    in_db = counts(home)
    check(len(summary["tables"]) == len(in_db), f"the report lists {len(summary['tables'])} tables")
    reconciled = 0
    for table in summary["tables"]:
        name = table["table"]
        dbf = foxpro_table(home, name)
        check(table["target_rows"] == in_db[name],
              f"report {name}: target {table['target_rows']}, the table holds {in_db[name]}")
        if dbf is None:
            check(table["foxpro_table"] is False and table["foxpro_rows"] is None and
                  table["reconciled"] is None, f"report {name}: no FoxPro table: {table}")
            continue
        fox = len(dbf)
        check(table["foxpro_rows"] == fox, f"report {name}: FoxPro {table['foxpro_rows']} != {fox}")
        check(table["difference"] == abs(fox - in_db[name]), f"report {name}: {table}")
        check(table["reconciled"] == (fox == in_db[name]), f"report {name}: {table}")
        reconciled += table["reconciled"]
    check(summary["totals"]["reconciled"] == reconciled, f"report totals: {summary['totals']}")
    check(summary["pdf_written"] and os.path.isfile(summary["pdf_file"]), "report.pdf written")


def test_report_reconciles(home):
    done = run(home, "import")
    check(done.returncode == 0, f"import without refused rows: exit {done.returncode}")
    # A target table without its FoxPro table has nothing to be compared with.
    os.remove(os.path.join(home, "zuna", "cghs.dbf"))
    report = run(home, "report", "--summary", os.path.join(home, "report.json"))
    check(report.returncode == 0, f"a reconciled report: exit {report.returncode}: {report.stderr}")
    summary = load_summary(os.path.join(home, "report.json"), "report", 0)
    check_report_summary(home, summary)
    cghs = [t for t in summary["tables"] if t["table"] == "cghs"]
    check(cghs and cghs[0]["reconciled"] is None and summary["totals"]["not_reconciled"] == 0,
          f"Not Exist is not held against the report: {cghs}")
    # One refused row more in the target than in the FoxPro table: exit 3.
    db = sqlite3.connect(os.path.join(home, "zuna.db"))
    db.execute("insert into department (dept_code) values ('X')")
    db.commit()
    db.close()
    report = run(home, "report")
    check(report.returncode == 3, f"a difference of one row: exit {report.returncode}")
    check(report.stderr.splitlines()[-1].startswith(
        "zuna-transfer report: 1 of 67 tables do not reconcile: department (FoxPro "),
        f"the report names department: {report.stderr}")


def test_data_folder_with_nothing_to_import(home):
    expected_not_found = 65  # every table but the two a master-data script stands in for
    for state in ("missing", "foreign"):
        if state == "foreign":
            os.mkdir(os.path.join(home, "zuna"))
            with open(os.path.join(home, "zuna", "other.dbf"), "wb") as f:
                f.write(b"")
        done = run(home, "import", "--summary", os.path.join(home, "s.json"))
        check(done.returncode == 1, f"{state} data folder: exit {done.returncode}")
        lines = done.stdout.splitlines()
        check(len(lines) == expected_not_found and
              all(line.startswith("information: ") and line.endswith(" Not Found") for line in lines),
              f"{state} data folder: the not-found lines and nothing else: {lines[-3:]}")
        reason = ("does not exist" if state == "missing" else
                  "holds none of the 67 catalogued tables (personnel.dbf, ...)")
        check(done.stderr.splitlines()[-1] ==
              f"zuna-transfer import: the data folder {home}/zuna {reason}; nothing was imported",
              f"{state} data folder: the message names the folder: {done.stderr}")
        check(counts(home)["qualification"] == 0,
              f"{state} data folder: no master-data script ran")
        check(not os.path.exists(os.path.join(home, "import_errors")),
              f"{state} data folder: the import did not start")
        summary = load_summary(os.path.join(home, "s.json"), "import", 1)
        check(reason in summary["refusal"], f"{state}: the summary says why: {summary['refusal']}")
    report = run(home, "report")
    check(report.returncode == 1 and "holds none of the 67 catalogued tables" in report.stderr,
          f"a report with nothing to compare: exit {report.returncode}: {report.stderr}")


def test_zuna_ini_findings(home):
    with open(os.path.join(home, "zuna.ini"), "w") as f:
        f.write("[pya]\nDatabase = other.db\n\n[pay]\nDatabse = typo.db\nstray line\n")
    done = run(home, "list-fields")
    check(done.returncode == 0, f"warnings do not stop a command: exit {done.returncode}")
    lines = done.stderr.splitlines()
    ini = f"{home}/zuna.ini"
    check(lines[0] == f"zuna-transfer list-fields: source {home}/zuna (FoxPro tables; built-in "
                      f"default), target {home}/zuna.db (embedded SQLite; zuna.ini line 4 [pay])",
          f"the first line says where the target came from: {lines[0]}")
    check(lines[1:4] == [
        f"zuna-transfer: warning: {ini} line 1: unknown section [pya] (did you mean pay?); "
        "zuna.ini reads [foxpay], [pay] and [server], so its settings are ignored",
        f"zuna-transfer: warning: {ini} line 5: [pay] unknown setting Databse (did you mean "
        "Database?); it is ignored",
        f"zuna-transfer: warning: {ini} line 6: \"stray line\" is neither [section] nor key = "
        "value; it is ignored"], f"the warnings name the lines: {lines[1:4]}")

    with open(os.path.join(home, "zuna.ini"), "w") as f:
        f.write("[foxpay]\nCodePage = 1252abc\n")
    done = run(home, "import")
    check(done.returncode == 1, f"CodePage = 1252abc: exit {done.returncode}")
    check(done.stdout == f"error 3001: {ini} line 2: [foxpay] CodePage \"1252abc\" is not a code "
                         "page number (1252)\n", f"CodePage = 1252abc says: {done.stdout}")
    check(not os.path.exists(os.path.join(home, "import_errors")), "the import did not start")
    os.remove(os.path.join(home, "zuna.ini"))

    # A data source "pay" in the user's odbc.ini stands in for the embedded database: said so.
    with open(os.path.join(home, "odbc.ini"), "w") as f:
        f.write(f"[pay]\nDriver = /usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so\n"
                f"Database = {home}/zuna.db\nPWD = secret\n")
    done = run(home, "report", "--quiet")
    check(not done.stderr.startswith("zuna-transfer report: source"), "--quiet leaves it out")
    done = run(home, "report")
    check(done.stderr.splitlines()[0].endswith(
        "target dsn=pay (ODBC; unixODBC data source pay in odbc.ini)"),
        f"a data source of odbc.ini is named: {done.stderr.splitlines()[0]}")
    os.remove(os.path.join(home, "odbc.ini"))


def test_summary_folder_is_checked_first(home):
    missing = os.path.join(home, "no", "such", "s.json")
    for command in ("import", "report"):
        done = run(home, command, "--summary", missing)
        check(done.returncode == 1, f"{command} --summary in a missing folder: {done.returncode}")
        check(done.stdout.startswith(f"error 2: --summary: {home}/no/such: No such file"),
              f"{command}: the error names the folder: {done.stdout}")
    check(counts(home)["personnel"] == 0, "the import did not start")


def main():
    test_import_then_refusal_then_append(new_home("refusal"))
    test_report_reconciles(new_home("reconciled", refused=False))
    test_data_folder_with_nothing_to_import(new_home("no-data", tables=False))
    test_zuna_ini_findings(new_home("ini"))
    test_summary_folder_is_checked_first(new_home("summary-folder"))


WORK = tempfile.mkdtemp(prefix="zuna-import-cli-")
try:
    main()
finally:
    shutil.rmtree(WORK, ignore_errors=True)
if checks["failed"]:
    print(f"{checks['failed']} failed")
    sys.exit(1)
print("import and report on the command line: ok")
