#!/usr/bin/python3
"""zuna-transfer import with the database's disk filling up on the way (the storage seam, set
through ZUNA_STORAGE_FAULTS): the command exits 1, every table's saved count is the number of
rows really in it, and every other source row is listed in import_errors, once, under its row
number or in a stated range.

Usage: disk_full_import_cli_test.py ZUNA_TRANSFER ZUNA_SAMPLE
"""
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

TRANSFER, SAMPLE = sys.argv[1], sys.argv[2]
# Room for the first tables, not for all: the sample's import grows the database by about 2.6 MB.
ROOM = 1_800_000
def run(home, *args, env=None):
    return subprocess.run([TRANSFER, "--home", home, *args], capture_output=True, text=True,
                          env=env)


def summary_rows(stderr):
    """table -> (read, saved, refused) from the import's closing table."""
    rows = {}
    for line in stderr.splitlines():
        cells = line.split()
        if len(cells) >= 8 and cells[1].isdigit() and cells[2].isdigit() and cells[3].isdigit():
            rows[cells[0]] = tuple(int(c) for c in cells[1:4])
    return rows


def listed_rows(home):
    """table -> list of source rows import_errors gives as lost (a row, or a range of rows)."""
    with open(os.path.join(home, "import_errors"), "rb") as f:
        data = f.read()
    check(data[:2] == b"\xff\xfe", "import_errors is UTF-16 LE with its byte-order mark")
    listed = {}
    for line in data[2:].decode("utf-16-le").split("\r\n")[:-1]:
        table, row, field, _number, description = line.split("\t", 4)
        if field:
            continue  # a field or a step, not a row
        rows = listed.setdefault(table, [])
        if row != "0":
            rows.append(int(row))
            continue
        if "rows not copied" not in description:
            continue  # a step of the import (pk.sql), not rows
        stated = re.search(r": rows (\d+) to (\d+)[,:]", description)
        check(stated is not None, f"a count of lost rows states their range: {line}")
        if stated:
            rows.extend(range(int(stated.group(1)), int(stated.group(2)) + 1))
    return listed


def main():
    home = tempfile.mkdtemp(prefix="zuna-disk-full-")
    try:
        for name in os.listdir(os.path.dirname(TRANSFER)):
            if name.endswith(".sql"):
                shutil.copy(os.path.join(os.path.dirname(TRANSFER), name), home)
        for command in ("create-database", "create-tables"):
            check(run(home, command).returncode == 0, command)
        subprocess.run([SAMPLE, "generate", "--rows", "100", "--personnel-rows", "2000",
                        os.path.join(home, "zuna")], check=True, capture_output=True)

        bad = run(home, "create-database", env=dict(os.environ, ZUNA_STORAGE_FAULTS="full"))
        check(bad.returncode == 1 and "ZUNA_STORAGE_FAULTS=\"full\" is not understood" in bad.stdout,
              f"a seam setting that cannot be read is an error: {bad.returncode} {bad.stdout}")

        done = run(home, "import", env=dict(os.environ, ZUNA_STORAGE_FAULTS=f"disk-full:{ROOM}"))
        check(done.returncode == 1, f"exit {done.returncode}, expected 1 (a stopping failure)")
        lines = done.stdout.splitlines()
        check(len(lines) >= 2 and lines[-2] == "Completed", f"Completed, then the loss: {lines}")
        check("could not be copied" in lines[-1] and "Saving stopped at table " in lines[-1] and
              "database or disk is full" in lines[-1], f"the loss message says why: {lines[-1]}")

        summary = summary_rows(done.stderr)
        check(len(summary) > 50, f"the summary lists the tables: {len(summary)}")
        db = sqlite3.connect(os.path.join(home, "zuna.db"))
        listed = listed_rows(home)
        saved_somewhere = False
        for table, (read, saved, refused) in summary.items():
            in_table = db.execute(f'SELECT count(*) FROM "{table}"').fetchone()[0]
            check(saved == in_table, f"{table}: {saved} counted saved, {in_table} in the table")
            check(saved + refused == read, f"{table}: {saved} + {refused} != {read} read")
            rows = listed.get(table, [])
            check(len(rows) == len(set(rows)), f"{table}: a row is listed twice")
            check(len(rows) == read - saved,
                  f"{table}: {read - saved} rows not in the table, {len(rows)} listed")
            check(all(1 <= r <= read for r in rows), f"{table}: a listed row is no source row")
            saved_somewhere = saved_somewhere or saved > 0
        check(saved_somewhere, "the tables before the disk filled were saved")
    finally:
        shutil.rmtree(home, ignore_errors=True)
    if checks["failed"]:
        sys.exit(1)
    print("disk full import: ok")


main()
