#!/usr/bin/python3
"""Checks a finished migration in a program folder against its FoxPro tables.

Usage: check_migration.py FOLDER EXPECTED_TABLES [IMPORT_SUMMARY REPORT_SUMMARY]

Every table of the data folder FOLDER/zuna, counted by Debian's python3-dbfread (rows marked
deleted left out, as the import leaves them out), must have as many rows in the database
FOLDER/zuna.db; data_transfer_rpt must list every table with both counts and a difference of 0.
Given the JSON summaries of `import --summary` and `report --summary`, they must say the same:
every table's rows read and saved, a whole import and an exit status of 0, and every table
reconciled with both counts.
"""
import json
import pathlib
import re
import sqlite3
import sys

from dbfread import DBF

ROW = re.compile(r"^\| (\S+)\s+\| (\d+)\s+\| (\d+)\s+\| (\d+)\s+\|$")


def main():
    folder = pathlib.Path(sys.argv[1])
    expected_tables = int(sys.argv[2])
    failures = []

    source = {}
    for path in sorted((folder / "zuna").iterdir()):
        if path.suffix.lower() == ".dbf":
            source[path.stem] = sum(1 for _ in DBF(str(path), raw=True, load=False))
    if len(source) != expected_tables:
        failures.append(f"{len(source)} FoxPro tables, expected {expected_tables}")

    database = sqlite3.connect(folder / "zuna.db")
    target = {}
    for table in source:
        quoted = '"' + table.replace('"', '""') + '"'
        target[table] = database.execute(f"select count(*) from {quoted}").fetchone()[0]
        if target[table] != source[table]:
            failures.append(f"{table}: {source[table]} FoxPro rows, {target[table]} in zuna.db")

    report = {}
    text = (folder / "data_transfer_rpt").read_bytes().decode("cp1252")
    for line in text.split("\r\n"):
        match = ROW.match(line)
        if match:
            name, fox, sql, difference = match.groups()
            report[name] = (int(fox), int(sql), int(difference))
    for table in source:
        if table not in report:
            failures.append(f"{table}: not in data_transfer_rpt")
            continue
        if report[table] != (source[table], target[table], 0):
            failures.append(f"{table}: data_transfer_rpt says {report[table]}, "
                            f"expected {(source[table], target[table], 0)}")
    if set(report) != set(source):
        failures.append(f"data_transfer_rpt lists {sorted(set(report) - set(source))} "
                        "that the data folder lacks")

    if len(sys.argv) > 3:
        failures += check_summaries(pathlib.Path(sys.argv[3]), pathlib.Path(sys.argv[4]), source,
                                    target)

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    rows = sum(source.values())
    print(f"migration checked: {len(source)} tables, {rows} rows, every table reconciled")
    return 0


def check_summaries(import_path, report_path, source, target):
    failures = []
    imported = json.loads(import_path.read_text(encoding="utf-8"))
    reported = json.loads(report_path.read_text(encoding="utf-8"))
    if (imported["command"], imported["exit_status"], imported["completed"]) != ("import", 0, True):
        failures.append(f"import summary: {imported['command']} exit {imported['exit_status']}")
    tables = {t["table"]: t for t in imported["tables"]}
    for table, rows in source.items():
        entry = tables.get(table)
        if entry is None:
            failures.append(f"import summary lacks {table}")
        elif (entry["rows_read"], entry["rows_saved"], entry["rows_refused"]) != (rows, target[table], 0):
            failures.append(f"import summary {table}: read {entry['rows_read']}, saved "
                            f"{entry['rows_saved']}; FoxPro {rows}, zuna.db {target[table]}")
    if imported["totals"]["rows_saved"] != sum(target.values()):
        failures.append(f"import summary totals: {imported['totals']}")
    if (reported["command"], reported["exit_status"]) != ("report", 0):
        failures.append(f"report summary: {reported['command']} exit {reported['exit_status']}")
    counted = {t["table"]: t for t in reported["tables"]}
    for table, rows in source.items():
        entry = counted.get(table, {})
        expected = (rows, target[table], 0, True)
        got = tuple(entry.get(k) for k in ("foxpro_rows", "target_rows", "difference", "reconciled"))
        if got != expected:
            failures.append(f"report summary {table}: {got}, expected {expected}")
    if reported["totals"]["not_reconciled"] != 0:
        failures.append(f"report summary totals: {reported['totals']}")
    return failures


if __name__ == "__main__":
    sys.exit(main())
