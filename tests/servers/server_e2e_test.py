#!/usr/bin/python3
"""End to end on a real server: every command of zuna-transfer on the sample data, into
PostgreSQL or MariaDB through a DSN, compared with the embedded engine's run on the same data.

Both program folders run create-database, create-tables, alter, import, report, list-fields and
delete-duplicates, then a second import and delete-duplicates again. Checked:

- every value of every table after the first import, read on the server with its own client and
  in zuna.db with Python's sqlite3, compared by the column's type (texts with their trailing
  blanks and non-ASCII letters, memos, dates, datetimes to the millisecond, decimals at their
  scale, logicals, nulls);
- the rows each import refused: the same source rows of the same tables on both targets, each
  logged in import_errors; the anomaly logs are the same bytes;
- the report: the same text table on both (the same tables in the same order with the same
  counts), with difference 0 for every table but the refused rows;
- the column listing: the same tables and columns, each with the server's own type;
- delete-duplicates after the second import: every count as on the embedded engine, and the
  tables DELETE.sql groups back at their counts after the first run.

Then the faults: a unique key and a column too short for some values, on a table of 1,200 rows
sent in parameter arrays. Exactly those rows are lost, each logged under its source row, and the
table holds every other row.

Usage: server_e2e_test.py postgresql|mariadb SQL_DIR ZUNA_SAMPLE ZUNA_TRANSFER SERVERS_DIR
"""
import datetime
import decimal
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import tempfile

import dbf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

SERVER, SQL_DIR, SAMPLE, TRANSFER, SERVERS_DIR = sys.argv[1:6]
DATABASE = "zuna"  # the tool's database, in every connection text that names one
USER, PASSWORD = "zuna", "zuna-test"  # tools/test_servers.sh


class Postgres:
    name = "PostgreSQL"
    dsn = "zuna_postgres"

    def __init__(self):
        self.env = dict(os.environ, PGPASSWORD=PASSWORD, PGCONNECT_TIMEOUT="10")
        self.base = ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h",
                     os.path.join(SERVERS_DIR, "pg-run"), "-U", USER]

    def run(self, text, database=DATABASE):
        done = subprocess.run(self.base + ["-d", database, "-c", text], env=self.env,
                              capture_output=True, text=True)
        return done.returncode == 0, done.stderr.strip()

    def query(self, text):
        done = subprocess.run(self.base + ["-d", DATABASE, "-A", "-t", "-F", "\x1f", "-R", "\x1e",
                                           "-c", text], env=self.env, capture_output=True,
                              text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return [record.split("\x1f") for record in done.stdout.rstrip("\n").split("\x1e")
                if record]

    def drop_database(self):
        return self.run(f"DROP DATABASE IF EXISTS {DATABASE}", "postgres")

    @staticmethod
    def quote(name):
        return '"' + name.replace('"', '""') + '"'

    def as_text(self, column, declared):
        """The column's value as text in the form compared, hex-coded; N for null."""
        q = self.quote(column)
        if declared.lower().startswith("datetime"):
            text = f"to_char({q}, 'YYYY-MM-DD HH24:MI:SS.MS')"
        elif declared.lower() == "bit":
            text = f"CASE WHEN {q} THEN '1' ELSE '0' END"
        else:
            text = f"{q}::text"
        return f"CASE WHEN {q} IS NULL THEN 'N' ELSE 'V' || encode(convert_to({text}, 'UTF8'), " \
               "'hex') END"

    def shorten(self, table, column, length):
        return self.run(f"ALTER TABLE {self.quote(table)} ALTER COLUMN {self.quote(column)} "
                        f"TYPE varchar({length})")

    # The listing's data types for the embedded engine's.
    types = {"varchar": "character varying", "datetime": "timestamp without time zone",
             "int": "integer", "decimal": "numeric", "bit": "boolean", "text": "text"}


class MariaDb:
    name = "MariaDB"
    dsn = "zuna_mariadb"

    def __init__(self):
        self.env = dict(os.environ, MYSQL_PWD=PASSWORD)
        self.base = ["mariadb", "--no-defaults",
                     "--socket=" + os.path.join(SERVERS_DIR, "maria-run", "mysqld.sock"),
                     "-u", USER, "--connect-timeout=10"]

    def run(self, text, database=DATABASE):
        done = subprocess.run(self.base + ([database] if database else []) + ["-e", text],
                              env=self.env, capture_output=True, text=True)
        return done.returncode == 0, done.stderr.strip()

    def query(self, text):
        done = subprocess.run(self.base + ["--batch", "--raw", "--skip-column-names", DATABASE,
                                           "-e", text], env=self.env, capture_output=True,
                              text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return [line.split("\t") for line in done.stdout.splitlines()]

    def drop_database(self):
        return self.run(f"DROP DATABASE IF EXISTS {DATABASE}", None)

    @staticmethod
    def quote(name):
        return "`" + name.replace("`", "``") + "`"

    def as_text(self, column, declared):
        q = self.quote(column)
        return f"CASE WHEN {q} IS NULL THEN 'N' ELSE CONCAT('V', HEX(CAST({q} AS CHAR))) END"

    def shorten(self, table, column, length):
        return self.run(f"ALTER TABLE {self.quote(table)} MODIFY {self.quote(column)} "
                        f"varchar({length})")

    types = {"varchar": "varchar", "datetime": "datetime", "int": "int", "decimal": "decimal",
             "bit": "tinyint", "text": "longtext"}


def transfer(home, *args, env, expect=(0,)):
    done = subprocess.run([TRANSFER, "--home", home, *args], env=env, capture_output=True,
                          text=True)
    check(done.returncode in expect, f"{home}: zuna-transfer {' '.join(args)}: exit "
                                     f"{done.returncode}\n{done.stdout}{done.stderr}")
    return done


def read_file(home, name):
    with open(os.path.join(home, name), "rb") as f:
        return f.read()


def unicode_lines(home, name):
    path = os.path.join(home, name)
    if not os.path.exists(path):
        return []
    with open(path, "rb") as f:
        return f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]


def refused_rows(home):
    """(table, source row) of each row import_errors lists as lost; fields lost are not rows."""
    rows = []
    for line in unicode_lines(home, "import_errors"):
        table, row, field, number = line.split("\t")[:4]
        if row != "0" and field == "":
            check(number not in ("", "0"), f"a lost row without an error number: {line}")
            rows.append((table, int(row)))
    return sorted(rows)


def comparable(declared, value):
    """A stored value in one form for both targets, by the column's declared SQL Server type."""
    if value is None:
        return None
    name, _, size = declared.lower().partition("(")
    if name in ("varchar", "char", "text"):
        return value
    if name in ("int", "bigint", "smallint", "tinyint", "bit"):
        return int(value)
    if name in ("decimal", "numeric", "money"):
        scale = int(size.rstrip(")").split(",")[1]) if "," in size else 4 if name == "money" else 0
        exact = decimal.Decimal(repr(value) if isinstance(value, float) else str(value))
        return exact.quantize(decimal.Decimal(1).scaleb(-scale),
                              rounding=decimal.ROUND_HALF_UP)
    if name == "float":
        return float(value)
    if name == "datetime":
        # The embedded engine writes milliseconds always; a server's client may leave them out.
        return value if "." in value else value + ".000"
    return value


def embedded_tables(db):
    return {name: [(c[1], c[2]) for c in db.execute(f"PRAGMA table_info([{name}])")]
            for (name,) in db.execute("SELECT name FROM sqlite_schema WHERE type = 'table'")}


def embedded_rows(db, table, columns):
    names = ", ".join(f"[{c}]" for c, _ in columns)
    return sorted((tuple(comparable(declared, v) for (_, declared), v in zip(columns, row))
                   for row in db.execute(f"SELECT {names} FROM [{table}]")), key=repr)


def server_rows(server, table, columns):
    if not columns:
        return []
    select = ", ".join(server.as_text(c, declared) for c, declared in columns)
    rows = []
    for row in server.query(f"SELECT {select} FROM {server.quote(table)}"):
        rows.append(tuple(comparable(declared, None if v == "N" else
                                     bytes.fromhex(v[1:]).decode("utf-8"))
                          for (_, declared), v in zip(columns, row)))
    return sorted(rows, key=repr)


def counts(server, tables):
    return {t: int(server.query(f"SELECT count(*) FROM {server.quote(t)}")[0][0]) for t in tables}


def embedded_counts(db, tables):
    return {t: db.execute(f"SELECT count(*) FROM [{t}]").fetchone()[0] for t in tables}


def listing(home):
    """The column listing as {table: [(column, type, length)]}."""
    blocks, table = {}, None
    for line in unicode_lines(home, "fields"):
        if m := re.fullmatch(r"(.+)-(.*)\((.*)\)", line):
            blocks[table].append(m.groups())
        elif line and not line.startswith(("-----", "=====")):
            table = line
            blocks[table] = []
    return blocks


def program_folder(scripts, data, ini):
    home = tempfile.mkdtemp(prefix=f"zuna-e2e-{SERVER}-")
    for name in os.listdir(scripts):
        if name.endswith(".sql"):
            shutil.copy(os.path.join(scripts, name), home)
    shutil.copytree(data, os.path.join(home, "zuna"))
    with open(os.path.join(home, "zuna.ini"), "w") as f:
        f.write(ini)
    return home


def server_ini(server):
    return (f"[pay]\nDriver = odbc\nConnectionString = DSN={server.dsn};Database={DATABASE}\n\n"
            f"[server]\nDriver = odbc\nConnectionString = DSN={server.dsn};Database={{catalog}}\n"
            "FixedServer = test\n")


def run_commands(home, env):
    """The commands in the operator's order; what each import refused."""
    for command, message in [("create-database", "Database Created"),
                             ("create-tables", "Table Created"), ("alter", "Table Altered")]:
        done = transfer(home, command, env=env)
        check(done.stdout.startswith(message + "\n"), f"{home}: {command}: {done.stdout}")
    # Exit 3: the import completed, and the sample's refused rows are listed in import_errors.
    transfer(home, "import", env=env, expect=(0, 3))


def compare_first_import(server, embedded_home, server_home, db):
    tables = embedded_tables(db)
    server_tables = set(counts(server, tables).keys())
    check(server_tables == set(tables), "the server's tables are not the embedded engine's")
    compared = 0
    for table, columns in sorted(tables.items()):
        mine, theirs = embedded_rows(db, table, columns), server_rows(server, table, columns)
        if check(mine == theirs, f"{table}: the server's rows differ from the embedded engine's"):
            compared += len(mine) * len(columns)
        else:
            for a, b in zip(mine, theirs):
                if a != b:
                    print(f"  {table}: embedded {a}\n  {' ' * len(table)}  {server.name} {b}")
                    break
    check(compared > 10000, f"only {compared} values compared")
    # The sample holds each kind the comparison is meant for.
    values = [v for table, columns in tables.items() for row in embedded_rows(db, table, columns)
              for v in row]
    check(any(isinstance(v, str) and not v.isascii() for v in values), "no non-ASCII text")
    check(any(v is None for v in values), "no null")
    check(any(isinstance(v, decimal.Decimal) and v != v.to_integral() for v in values),
          "no decimal with a fraction")
    check(any(isinstance(v, str) and v.startswith("1900-01-01 00:00:00") for v in values),
          "no replaced date")

    refused = refused_rows(server_home)
    check(refused and refused == refused_rows(embedded_home),
          f"refused rows: {server.name} {refused}, embedded {refused_rows(embedded_home)}")
    for log in ("personnel_rpt", "paybill_rpt"):
        check(read_file(server_home, log) == read_file(embedded_home, log), f"{log} differs")
    return tables, refused


def compare_reports(server, embedded_home, server_home, env, tables, refused):
    # The sample's refused rows are a difference: report says so with exit 3 on both.
    transfer(embedded_home, "report", env=env, expect=(3,))
    transfer(server_home, "report", env=env, expect=(3,))
    report = read_file(server_home, "data_transfer_rpt")
    check(report == read_file(embedded_home, "data_transfer_rpt"),
          "the report differs from the embedded engine's")
    lost = {table: sum(1 for t, _ in refused if t == table) for table in tables}
    rows = [line.split("|")[1:5] for line in report.decode("cp1252").split("\r\n")
            if line.startswith("| ") and "Table Name" not in line and "in Foxpro" not in line]
    check(len(rows) == len(tables), f"{len(rows)} report rows for {len(tables)} tables")
    for name, fox, sql, difference in (map(str.strip, row) for row in rows):
        expected = "--" if fox == "Not Exist" else str(lost.get(name, 0))
        check(difference == expected, f"report: {name} differs by {difference}, not {expected}")

    for home in (embedded_home, server_home):
        transfer(home, "list-fields", env=env)
    mine, theirs = listing(embedded_home), listing(server_home)
    check(mine and sorted(mine) == sorted(theirs),
          f"listing: tables {sorted(theirs)}, embedded {sorted(mine)}")
    for table, entries in mine.items():
        expected = [(c, server.types.get(t, t), n) for c, t, n in entries]
        got = [(c, t, n) for c, t, n in theirs.get(table, [])]
        check(got == expected, f"listing of {table}: {got}, expected {expected}")


def check_duplicates(server, embedded_home, server_home, env, db, tables):
    grouped = [m.group(1).strip("[]") for m in re.finditer(
        r"DELETE FROM (\S+) WHERE rowid NOT IN",
        read_file(embedded_home, "DELETE.sql").decode("cp1252"))]
    check(len(grouped) == 8, f"DELETE.sql groups {len(grouped)} tables")
    for home in (embedded_home, server_home):
        transfer(home, "delete-duplicates", env=env)
    first = counts(server, tables)
    check(first == embedded_counts(db, tables), "counts after delete-duplicates differ")
    for home in (embedded_home, server_home):
        transfer(home, "import", "--append", env=env, expect=(0, 3))
    doubled = counts(server, tables)
    check(doubled == embedded_counts(db, tables), "counts after the second import differ")
    check(all(doubled[t] == 2 * first[t] for t in grouped if t in tables),
          "the second import did not add every row again")
    for home in (embedded_home, server_home):
        transfer(home, "delete-duplicates", env=env)
    again = counts(server, tables)
    check(again == embedded_counts(db, tables), "counts after the second delete-duplicates differ")
    for table in grouped:
        check(again[table] == first[table],
              f"{table}: {again[table]} rows after the second delete-duplicates, not "
              f"{first[table]}")


def write_department(path, rows):
    table = dbf.Table(path, "dept_code C(4); dept_name C(20); user_id C(8); ddo_code C(10); "
                            "opr_date D", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for row in rows:
        table.append(row)
    table.close()


def check_faults(server, env):
    """A unique key and a short column refuse exactly their rows of 1,200, sent in arrays."""
    codes = [f"{n:04d}" for n in range(1, 1201)]
    duplicates = {17: 2, 500: 400, 501: 400, 777: 776, 1200: 1}  # row: the saved row it repeats
    too_long = {3, 499, 1000}
    rows = []
    for number, code in enumerate(codes, 1):
        name = "A NAME THAT IS TOO LONG" if number in too_long else f"DEPT {number}"
        rows.append((codes[duplicates[number] - 1] if number in duplicates else code,
                     name[:20], "U1", "DDO", datetime.date(2001, 2, 3)))
    data = tempfile.mkdtemp(prefix="zuna-e2e-data-")
    home = None
    try:
        write_department(os.path.join(data, "department.dbf"), rows)
        home = program_folder(os.path.join(SQL_DIR, SERVER), data, server_ini(server))
        ok, error = server.drop_database()
        check(ok, f"drop {DATABASE}: {error}")
        for command in ("create-database", "create-tables"):
            transfer(home, command, env=env)
        ok, error = server.run("CREATE UNIQUE INDEX zuna_one_code ON department (dept_code)")
        check(ok, f"unique index: {error}")
        ok, error = server.shorten("department", "dept_name", 12)
        check(ok, f"shorter column: {error}")
        transfer(home, "import", env=env, expect=(3,))
        lost = sorted(set(duplicates) | too_long)
        check(refused_rows(home) == [("department", n) for n in lost],
              f"{server.name}: refused {refused_rows(home)}, expected department rows {lost}")
        stored = sorted(r[0] for r in server.query("SELECT dept_code FROM department"))
        check(stored == sorted(c for n, c in enumerate(codes, 1) if n not in lost),
              f"{server.name}: the table does not hold exactly the other rows")
    finally:
        shutil.rmtree(data)
        if home:
            shutil.rmtree(home)


def main():
    server = Postgres() if SERVER == "postgresql" else MariaDb()
    env = dict(os.environ, ODBCINI=os.path.join(SERVERS_DIR, "odbc.ini"), ZUNA_NO_VIEWER="1")
    data = tempfile.mkdtemp(prefix="zuna-e2e-sample-")
    homes = []
    try:
        subprocess.run([SAMPLE, "generate", os.path.join(data, "zuna")], check=True,
                       capture_output=True)
        # Delete Duplicate Records runs on the fixed server: here the program folder's own.
        embedded_home = program_folder(SQL_DIR, os.path.join(data, "zuna"),
                                       "[server]\nFixedServer = .\n")
        server_home = program_folder(os.path.join(SQL_DIR, SERVER), os.path.join(data, "zuna"),
                                     server_ini(server))
        homes = [embedded_home, server_home]
        ok, error = server.drop_database()
        check(ok, f"the database {DATABASE} of an earlier run was not removed: {error}")
        run_commands(embedded_home, env)
        run_commands(server_home, env)
        db = sqlite3.connect(os.path.join(embedded_home, "zuna.db"))
        tables, refused = compare_first_import(server, embedded_home, server_home, db)
        compare_reports(server, embedded_home, server_home, env, tables, refused)
        check_duplicates(server, embedded_home, server_home, env, db, tables)
        db.close()
        check_faults(server, env)
    finally:
        for home in homes:
            shutil.rmtree(home)
        shutil.rmtree(data)
        ok, error = server.drop_database()
        check(ok, f"the database {DATABASE} was not removed: {error}")
    print(f"{server.name} end to end: {checks['passed']} checks passed, {checks['failed']} failed")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
