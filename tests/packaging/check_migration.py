#!/usr/bin/python3
"""Checks a finished migration in a program folder against its FoxPro tables.

Usage: check_migration.py FOLDER EXPECTED_TABLES

Every table of the data folder FOLDER/zuna, counted by Debian's python3-dbfread (rows marked
deleted left out, as the import leaves them out), must have as many rows in the database
FOLDER/zuna.db; data_transfer_rpt must list every table with both counts and a difference of 0.
"""
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

    for failure in failures:
        print("FAIL:", failure, file=sys.stderr)
    if failures:
        return 1
    rows = sum(source.values())
    print(f"migration checked: {len(source)} tables, {rows} rows, every table reconciled")
    return 0


if __name__ == "__main__":
    sys.exit(main())
