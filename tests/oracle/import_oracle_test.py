#!/usr/bin/python3
"""End to end: the bundled sample data through the command line's import, checked against
Debian's python3-dbfread with the import's rules applied here, independently.

Every target row is compared with its source row; the anomaly logs personnel_rpt and paybill_rpt
are compared byte for byte with lines built here; import_errors must list exactly the rows the
target refuses (personnel rows whose opr_date, a plain copy, lies before datetime's range).

Usage: import_oracle_test.py ZUNA_TRANSFER ZUNA_SAMPLE
"""
import datetime
import glob
import json
import os
import shutil
import sqlite3
import subprocess
import sys
import tempfile

import dbfread

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

TRANSFER, SAMPLE = sys.argv[1], sys.argv[2]
REPLACEMENT = datetime.date(1900, 1, 1)
DATETIME_MIN_YEAR = 1753


def run(home, *args, expect=0):
    done = subprocess.run([TRANSFER, "--home", home, *args], capture_output=True, text=True)
    check(done.returncode == expect, f"{args}: exit {done.returncode}, expected {expect}\n"
                                     f"{done.stdout}{done.stderr}")
    return done


def year_in_range(value):
    """The date rule's range test on a date's four-digit year."""
    return value is not None and 1900 <= value.year <= 9999


def expected_value(rule, typed, raw_text, field_type):
    """The value the target should hold, and whether the date rule wants a log line."""
    if rule in ("date", "date-nonull"):
        if typed is None:
            return REPLACEMENT, rule == "date-nonull"
        if year_in_range(typed):
            return typed, False
        return REPLACEMENT, True
    if rule == "trim-cut":
        trimmed = raw_text.strip(" ")
        return (trimmed if len(trimmed) < 50 else raw_text[:50]), False
    if rule == "null-text":
        return ("NULL" if typed is None else raw_text), False
    if rule == "null-empty":
        return ("" if typed is None else raw_text), False
    if field_type == "C":
        return raw_text, False  # character values keep their trailing blanks
    return typed, False


def same(target, expected):
    if expected is None:
        return target is None
    if isinstance(expected, bool):
        return target == int(expected)
    if isinstance(expected, datetime.date):
        return target == expected.strftime("%Y-%m-%d 00:00:00")
    if isinstance(expected, (int, float)):
        return target is not None and abs(float(target) - float(expected)) < 1e-6
    return target == expected


def text_form(value, raw_text=None):
    """The text form the logs show: dates dd/mm/yyyy, numbers plain, texts as stored."""
    if value is None:
        return ""
    if raw_text is not None:
        return raw_text
    if isinstance(value, datetime.date):
        return value.strftime("%d/%m/%Y")
    if isinstance(value, float) and value.is_integer():
        return str(int(value))
    return str(value)


def unicode_log(lines):
    return b"\xff\xfe" + "".join(line + "\r\n" for line in lines).encode("utf-16-le")


def report_lines(rows):
    """The boxed text table, built here from the counts."""
    separator = "+" + "-" * 25 + "+" + "-" * 18 + "+" + "-" * 16 + "+" + "-" * 12 + "+"
    lines = ["", "", " " + "_" * 74 + " ",
             "|       Table Name        |  No. Of Records  | No. Of Records | Difference |",
             "|                         |  in Foxpro Table |  in SQL Table  |            |",
             separator]
    for number, cells in enumerate(rows, start=1):
        lines.append("|" + "|".join((" " + text).ljust(width)
                                    for text, width in zip(cells, (25, 18, 16, 12))) + "|")
        if number % 50 == 0:
            lines += [separator, "\f", separator]
    return lines + [separator]


def refused_rows_of(home):
    with open(os.path.join(home, "import_errors"), "rb") as f:
        return [line for line in f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]
                if line.startswith("personnel\t")]


def check_report(home, db):
    # The personnel rows the import refused are a difference: the report does not reconcile.
    done = run(home, "report", expect=3)
    tables = sorted((r[0] for r in db.execute(
        "SELECT name FROM sqlite_schema WHERE type = 'table'")), key=str.lower)
    rows = []
    for table in tables:
        sql_count = db.execute(f"SELECT count(*) FROM [{table}]").fetchone()[0]
        path = os.path.join(home, "zuna", table + ".dbf")
        if os.path.exists(path):
            fox_count = len(dbfread.DBF(path))
            rows.append((table, str(fox_count), str(sql_count), str(abs(fox_count - sql_count))))
        else:
            rows.append((table, "Not Exist", str(sql_count), "--"))
    expected = "".join(line + "\r\n" for line in report_lines(rows)).encode("cp1252")
    with open(os.path.join(home, "data_transfer_rpt"), "rb") as f:
        check(f.read() == expected, "data_transfer_rpt differs from the table built from counts")
    check(done.stdout.replace("\n", "\r\n").encode("cp1252") == expected,
          "the report command prints the text table")
    personnel = [row for row in rows if row[0] == "personnel"][0]
    check(personnel[3] == str(len(refused_rows_of(home))), "personnel differs by its refused rows")
    pdf = os.path.join(home, "report.pdf")
    qpdf = subprocess.run(["qpdf", "--check", pdf], capture_output=True, text=True)
    check(qpdf.returncode == 0 and "WARNING" not in qpdf.stdout, f"qpdf --check: {qpdf.stdout}")
    text = subprocess.run(["pdftotext", "-layout", pdf, "-"], capture_output=True,
                          text=True).stdout
    check(all(table in text for table in tables), "every table name is in the PDF's text")
    pages = subprocess.run(["qpdf", "--show-npages", pdf], capture_output=True, text=True).stdout
    check(int(pages) == 2, f"67 rows make two pages, not {pages}")


def main():
    home = tempfile.mkdtemp(prefix="zuna-e2e-")
    for script in glob.glob(os.path.join(os.path.dirname(TRANSFER), "*.sql")):
        shutil.copy(script, home)
    subprocess.run([SAMPLE, "generate", os.path.join(home, "zuna")], check=True)
    catalog = json.loads(subprocess.run([SAMPLE, "catalog"], check=True, capture_output=True,
                                        text=True).stdout)
    for command in ("create-database", "create-tables", "alter"):
        run(home, command)
    done = run(home, "import", expect=3)
    check(done.stdout.startswith("Completed\n"), f"import output: {done.stdout!r}")

    db = sqlite3.connect(os.path.join(home, "zuna.db"))
    refused, personnel_log, paybill_log = set(), [], []
    for entry in catalog:
        table = entry["table"]
        path = os.path.join(home, "zuna", table + ".dbf")
        typed_rows = list(dbfread.DBF(path, encoding="cp1252", lowernames=True,
                                      char_decode_errors="strict"))
        raw_rows = list(dbfread.DBF(path, raw=True, lowernames=True))
        types = {f.name.lower(): f.type for f in dbfread.DBF(path).fields}
        expected_rows = []
        for number, (typed, raw) in enumerate(zip(typed_rows, raw_rows), start=1):
            expected = {}
            for field, rule, logged in entry["fields"]:
                name = field.lower()
                raw_text = raw[name].decode("cp1252") if types[name] == "C" else None
                value, log = expected_value(rule, typed[name], raw_text, types[name])
                expected[name] = value
                if log and logged and entry["log"] == 1:
                    personnel_log.append(
                        f"{text_form(typed['emp_code'], raw['emp_code'].decode('cp1252'))}"
                        f"({text_form(typed['id_no'])})({field} -{text_form(typed[name])})")
                if log and logged and entry["log"] == 2:
                    paybill_log.append(
                        f"{text_form(typed['pay_mon'])},{text_form(typed['pay_year'])},"
                        f"dept_code & estb_code ({raw['dept_code'].decode('cp1252')},"
                        f"{raw['estb_code'].decode('cp1252')})({field} -{text_form(typed[name])})")
            plain_opr = [f for f, rule, _ in entry["fields"] if f == "opr_date" and rule == "copy"]
            if plain_opr and typed["opr_date"] and typed["opr_date"].year < DATETIME_MIN_YEAR:
                refused.add((table, number))
                continue
            expected_rows.append(expected)

        cursor = db.execute(f"SELECT * FROM [{table}] ORDER BY rowid")
        columns = [d[0].lower() for d in cursor.description]
        target_rows = [dict(zip(columns, row)) for row in cursor]
        check(len(target_rows) == len(expected_rows),
              f"{table}: {len(target_rows)} rows in the target, {len(expected_rows)} expected")
        for index, (target, expected) in enumerate(zip(target_rows, expected_rows)):
            for name, value in expected.items():
                if table == "installation" and name == "dbf_type":
                    value = "SqlServer"  # marked after the copy
                check(same(target[name], value),
                      f"{table} row {index + 1} {name}: target {target[name]!r}, "
                      f"expected {value!r}")

    with open(os.path.join(home, "personnel_rpt"), "rb") as f:
        check(f.read() == unicode_log(personnel_log), "personnel_rpt differs")
    with open(os.path.join(home, "paybill_rpt"), "rb") as f:
        check(f.read() == unicode_log(paybill_log), "paybill_rpt differs")
    check(len(personnel_log) > 0 and len(paybill_log) > 0, "the sample writes both logs")

    with open(os.path.join(home, "import_errors"), "rb") as f:
        lines = f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]
    listed = {(line.split("\t")[0], int(line.split("\t")[1])) for line in lines}
    check(len(refused) > 0, "the sample holds rows the target refuses")
    check(listed == refused, f"import_errors lists {sorted(listed)}, refused {sorted(refused)}")
    check(all(line.split("\t")[3] == "242" for line in lines), "refusals are out-of-range dates")

    check_report(home, db)
    shutil.rmtree(home)
    print(f"{checks['passed']} passed, {checks['failed']} failed")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
