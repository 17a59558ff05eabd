#!/usr/bin/python3
"""Each server's scripts on the real test servers, through the servers' own clients.

The scripts of sql/postgresql or sql/mariadb run as the script runner runs them: cut at the
lines that hold only GO (CreateDatabaseScript.sql, CreateTableScript.sql, pk.sql,
qualification.sql, branchmaster.sql), or whole (ALTER.sql, DELETE.sql), each piece sent to the
server as one text (psql -c; the mariadb client with a delimiter that never occurs). On MariaDB
every piece must also be a single statement, since MariaDB's ODBC driver takes no more: the
server's PREPARE, which parses a text without running it, tells.

Checked against independent sources: every table and column of the import's catalogs
(zuna-sample catalog) exists, its name's case kept, with the type that holds what the SQL Server
script (sql/CreateTableScript.sql) declares; a date column refuses what SQL Server's datetime
refuses; the columns of ALTER.sql, the indexes of pk.sql and the rows of qualification.sql and
branchmaster.sql are those of the embedded scripts; DELETE.sql leaves, of each group of rows the
embedded DELETE.sql groups together, exactly the row saved first.

Then the script commands run through zuna-transfer itself and the server's ODBC driver:
create-database (on the server's administrative catalog), create-tables, alter and
delete-duplicates.

Usage: server_scripts_test.py postgresql|mariadb SQL_DIR ZUNA_SAMPLE ZUNA_TRANSFER SERVERS_DIR
"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

SERVER, SQL_DIR, SAMPLE, TRANSFER, SERVERS_DIR = sys.argv[1:6]
SCRIPTS = os.path.join(SQL_DIR, SERVER)
DATABASE = "zuna"
USER, PASSWORD = "zuna", "zuna-test"  # tools/test_servers.sh


def read_script(folder, name):
    with open(os.path.join(folder, name), "rb") as f:
        return f.read().decode("cp1252")


GO_LINE = re.compile(r"[ \t]*[Gg][Oo](?:[ \t]+(\d+))?[ \t]*")


def split_batches(text):
    """The script runner's rule: a line (ended by CR LF, CR or LF) holding only GO, in any case,
    blanks around it, an optional repeat count after it, ends a batch; batches of blanks only
    are left out. Returns (batch, repeat count) pairs."""
    batches, batch = [], ""
    for line in re.findall(r"[^\r\n]*(?:\r\n|\r|\n|$)", text):
        separator = GO_LINE.fullmatch(line.rstrip("\r\n"))
        if separator:
            if batch.strip():
                batches.append((batch, int(separator.group(1) or 1)))
            batch = ""
        else:
            batch += line
    if batch.strip():
        batches.append((batch, 1))
    return batches


def sql_type(declared):
    """A SQL Server type ("decimal(12,2)") as its name and its size ("12,2")."""
    name, _, size = declared.partition("(")
    return name, size.rstrip(")")


class Postgres:
    name = "PostgreSQL"
    odbc_dsn = "zuna_postgres"
    admin_database = "postgres"
    text_type = "text"

    def __init__(self):
        self.env = dict(os.environ, PGPASSWORD=PASSWORD, PGCONNECT_TIMEOUT="10")
        self.base = ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h",
                     os.path.join(SERVERS_DIR, "pg-run"), "-U", USER]

    def run(self, text, database=DATABASE):
        """Sends `text` as one query, as psqlODBC does: one implicit transaction."""
        done = subprocess.run(self.base + ["-d", database, "-c", text], env=self.env,
                              capture_output=True, text=True)
        return done.returncode == 0, done.stderr.strip()

    def query(self, text, database=DATABASE):
        done = subprocess.run(self.base + ["-d", database, "-A", "-t", "-F", "\x1f", "-c", text],
                              env=self.env, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return [line.split("\x1f") for line in done.stdout.splitlines()]

    def drop_database(self):
        # Not WITH (FORCE), which may not end the server's autovacuum worker; a plain DROP
        # cancels it, and this test's sessions have all ended.
        return self.run(f"DROP DATABASE IF EXISTS {DATABASE}", self.admin_database)

    @staticmethod
    def quote(name):
        return '"' + name.replace('"', '""') + '"'

    def one_statement(self, text, database):
        return True, ""  # psqlODBC takes several statements in one text

    @staticmethod
    def same_text(a, b):
        return a == b

    def describe(self, declared):
        """What information_schema tells of a column declared so in the SQL Server script."""
        name, size = sql_type(declared)
        return {"varchar": f"varchar({size})", "int": "integer", "bigint": "bigint",
                "decimal": f"numeric({size})", "datetime": "timestamp without time zone(3)",
                "bit": "boolean", "text": "text", "money": "numeric(19,4)",
                }.get(name, f"no type for {declared}")

    def columns(self):
        described = []
        for table, column, data_type, length, precision, scale, fraction in self.query(
                "SELECT table_name, column_name, data_type, character_maximum_length, "
                "numeric_precision, numeric_scale, datetime_precision "
                "FROM information_schema.columns WHERE table_schema = current_schema() "
                "ORDER BY table_name, ordinal_position"):
            if data_type == "character varying":
                data_type = f"varchar({length})"
            elif data_type == "numeric":
                data_type = f"numeric({precision},{scale})"
            elif data_type.startswith("timestamp"):
                data_type = f"{data_type}({fraction})"
            described.append((table, column, data_type))
        return described

    def tables(self):
        """The tables, each with how it is stored: the database's encoding."""
        return self.query(
            "SELECT table_name, pg_encoding_to_char(encoding) FROM information_schema.tables "
            "JOIN pg_database ON datname = current_database() "
            "WHERE table_schema = current_schema() AND table_type = 'BASE TABLE'")

    storage = "UTF8"

    def indexes(self):
        return [(index, table, column) for index, table, column, _ in self.query(
            "SELECT i.relname, t.relname, a.attname, k.n FROM pg_index x "
            "JOIN pg_class i ON i.oid = x.indexrelid JOIN pg_class t ON t.oid = x.indrelid "
            "JOIN pg_namespace s ON s.oid = t.relnamespace "
            "CROSS JOIN LATERAL unnest(x.indkey) WITH ORDINALITY AS k(attnum, n) "
            "JOIN pg_attribute a ON a.attrelid = t.oid AND a.attnum = k.attnum "
            "WHERE s.nspname = current_schema() ORDER BY i.relname, k.n")]


class MariaDb:
    name = "MariaDB"
    odbc_dsn = "zuna_mariadb"
    admin_database = None  # MariaDB creates a database on a connection to none
    text_type = "char"
    DELIMITER = "-- end of the batch: never in a script --"

    def __init__(self):
        self.env = dict(os.environ, MYSQL_PWD=PASSWORD)
        self.base = ["mariadb", "--no-defaults",
                     "--socket=" + os.path.join(SERVERS_DIR, "maria-run", "mysqld.sock"),
                     "-u", USER, "--connect-timeout=10"]

    def run(self, text, database=DATABASE):
        """Sends `text` as one command: a delimiter that never occurs keeps the client from
        cutting it at its semicolons."""
        done = subprocess.run(self.base + ["--delimiter=" + self.DELIMITER] +
                              ([database] if database else []) + ["-e", text],
                              env=self.env, capture_output=True, text=True)
        error = done.stderr.strip()  # the client repeats the whole text before its message
        return done.returncode == 0, error.splitlines()[-1] if error else error

    def query(self, text, database=DATABASE):
        done = subprocess.run(self.base + ["--batch", "--raw", "--skip-column-names"] +
                              ([database] if database else []) + ["-e", text],
                              env=self.env, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return [line.split("\t") for line in done.stdout.splitlines()]

    def drop_database(self):
        return self.run(f"DROP DATABASE IF EXISTS {DATABASE}", None)

    @staticmethod
    def quote(name):
        return "`" + name.replace("`", "``") + "`"

    def one_statement(self, text, database):
        """MariaDB's driver refuses a text of several statements (1064); so does PREPARE."""
        literal = "'" + text.replace("\\", "\\\\").replace("'", "''") + "'"
        return self.run(f"PREPARE zuna_batch FROM {literal}", database)

    @staticmethod
    def same_text(a, b):
        return a.lower() == b.lower()  # utf8mb4_general_ci, as SQL Server's default collation

    def describe(self, declared):
        """What information_schema tells of a column declared so in the SQL Server script."""
        name, size = sql_type(declared)
        return {"varchar": f"varchar({size})", "int": "int(11)", "bigint": "bigint(20)",
                "decimal": f"decimal({size})", "datetime": "datetime(3)", "bit": "tinyint(1)",
                "text": "longtext", "money": "decimal(19,4)",
                }.get(name, f"no type for {declared}")

    def columns(self):
        return [tuple(row) for row in self.query(
            "SELECT table_name, column_name, column_type FROM information_schema.columns "
            "WHERE table_schema = DATABASE() ORDER BY table_name, ordinal_position")]

    def tables(self):
        """The tables, each with how it is stored: engine and collation."""
        return [[table, f"{engine} {collation}"] for table, engine, collation in self.query(
            "SELECT table_name, engine, table_collation FROM information_schema.tables "
            "WHERE table_schema = DATABASE() AND table_type = 'BASE TABLE'")]

    storage = "InnoDB utf8mb4_general_ci"

    def indexes(self):
        return [tuple(row) for row in self.query(
            "SELECT index_name, table_name, column_name FROM information_schema.statistics "
            "WHERE table_schema = DATABASE() ORDER BY index_name, seq_in_index")]


def run_script(server, name, whole=False, database=DATABASE):
    """Runs a script of the server's folder as the runner does; True when every piece ran."""
    text = read_script(SCRIPTS, name)
    pieces = [(text, 1)] if whole else split_batches(text)
    check(pieces, f"{name}: no batch")
    for number, (batch, repeat) in enumerate(pieces, 1):
        where = f"{server.name} {name}, batch {number} of {len(pieces)}"
        ok, error = server.one_statement(batch, database)
        check(ok, f"{where}: not one statement: {error}")
        for _ in range(repeat):
            ok, error = server.run(batch, database)
            if not check(ok, f"{where}: {error}"):
                return False
    return True


# What the embedded engine's scripts hold, the reference for the servers' scripts.

def sql_server_tables():
    """The tables and columns of sql/CreateTableScript.sql: {table: [(column, type)]}."""
    tables, current = {}, None
    for line in read_script(SQL_DIR, "CreateTableScript.sql").splitlines():
        if m := re.match(r"CREATE TABLE \[(.+)\] \($", line):
            current = tables.setdefault(m.group(1), [])
        elif m := re.match(r"\s+\[(.+)\] ([a-z]+(?:\([0-9,]+\))?),?$", line):
            current.append((m.group(1), m.group(2)))
    return tables


def expected_tables(server):
    """The tables as CreateTableScript.sql should make them and as ALTER.sql should leave them,
    {table: [(column, type as the server tells it)]}: the catalogs' tables and fields, with the
    types of the SQL Server script and the columns of the embedded ALTER.sql."""
    catalog = json.loads(subprocess.run([SAMPLE, "catalog"], capture_output=True, text=True,
                                        check=True).stdout)
    declared = sql_server_tables()
    check(sorted(declared) == sorted(e["table"] for e in catalog),
          "the SQL Server script's tables are not the catalog's")
    created = {}
    for entry in catalog:
        table = entry["table"]
        fields = [f[0] for f in entry["fields"]] + (["ddo_desc"] if entry["walk"] else [])
        check([c for c, _ in declared.get(table, [])] == fields,
              f"{table}: the SQL Server script's columns are not the catalog's")
        types = dict(declared.get(table, []))
        created[table] = [(f, server.describe(types.get(f, "none"))) for f in fields]
    altered = {table: list(columns) for table, columns in created.items()}
    for table, column, declared_type in re.findall(r"ALTER TABLE (\S+) ADD (\S+) (\S+);",
                                                   read_script(SQL_DIR, "ALTER.sql")):
        altered[table].append((column, server.describe(declared_type)))
    return created, altered


def expected_indexes():
    """{index: [(table, column)]} of the embedded pk.sql."""
    indexes = {}
    for index, table, columns in re.findall(
            r"CREATE INDEX IF NOT EXISTS (\w+) ON (\w+) \(([^)]*)\)", read_script(SQL_DIR, "pk.sql")):
        indexes[index] = [(table, column.strip()) for column in columns.split(",")]
    return indexes


def literal_rows(text):
    """The tuples of quoted literals in the INSERT statements of a script, in order."""
    literal = r"'(?:[^']|'')*'"
    return [[v[1:-1].replace("''", "'") for v in re.findall(literal, group)]
            for group in re.findall(rf"\(\s*({literal}(?:\s*,\s*{literal})*)\s*\)", text)]


def insert_columns(text):
    m = re.search(r"INSERT INTO \S+ \(([^)]*)\)", text)
    return [c.strip(' "`[]') for c in m.group(1).split(",")] if m else []


def duplicate_groups():
    """The tables of the embedded DELETE.sql and the columns it groups each by."""
    return [(table.strip("[]"), [c.strip() for c in keys.split(",")])
            for table, keys in re.findall(
                r"DELETE FROM (\S+) WHERE rowid NOT IN \(SELECT MIN\(rowid\) FROM \S+ "
                r"GROUP BY ([^)]*)\)", read_script(SQL_DIR, "DELETE.sql"))]


# Checks on the server.

def check_tables(server, expected, when):
    tables = server.tables()
    check(sorted(t for t, _ in tables) == sorted(expected),
          f"{when}: tables {sorted(t for t, _ in tables)}, expected {sorted(expected)}")
    check(all(s == server.storage for _, s in tables),
          f"{when}: tables not stored as {server.storage}: "
          f"{[t for t in tables if t[1] != server.storage]}")
    actual = {}
    for table, column, described in server.columns():
        actual.setdefault(table, []).append((column, described))
    for table, columns in expected.items():
        found = actual.get(table, [])
        check(found == columns,
              f"{when}: {table}: columns differ: found {[c for c in found if c not in columns]}, "
              f"missing {[c for c in columns if c not in found]}"
              + (", order differs" if sorted(found) == sorted(columns) else ""))


def check_dates_and_texts(server):
    """A date column holds SQL Server's datetime range and refuses what lies outside it, in
    the test servers' lenient mode too; a text column keeps letters outside ASCII."""
    for value, accepted in [("1700-05-01", False), ("1752-12-31 23:59:59", False),
                            ("1753-01-01", True), ("9999-12-31 23:59:59", True), (None, True)]:
        literal = "NULL" if value is None else f"'{value}'"
        ok, error = server.run("INSERT INTO bank (bank_code, bank_name, opr_date) "
                               f"VALUES ('DT', 'MÜLLER & SÖHNE ÉCOLE', {literal})")
        check(ok == accepted, f"opr_date {value}: {'accepted' if ok else 'refused'}: {error}")
    rows = server.query("SELECT bank_name, count(*) FROM bank WHERE bank_code = 'DT' GROUP BY 1")
    check(rows == [["MÜLLER & SÖHNE ÉCOLE", "3"]], f"texts or dates stored: {rows}")
    server.run("DELETE FROM bank")


def check_indexes(server):
    actual = {}
    for index, table, column in server.indexes():
        actual.setdefault(index, []).append((table, column))
    check(actual == expected_indexes(), f"pk.sql: indexes {actual}, expected {expected_indexes()}")


def check_master_data(server, script, table):
    """The server's script saves the rows of the embedded one, into the same columns."""
    embedded = read_script(SQL_DIR, script)
    columns = insert_columns(embedded)
    check(insert_columns(read_script(SCRIPTS, script)) == columns,
          f"{script}: columns differ from the embedded script's")
    listed = ", ".join(server.quote(c) for c in columns)
    rows = server.query(f"SELECT {listed} FROM {server.quote(table)} ORDER BY 1")
    check(rows == sorted(literal_rows(embedded)),
          f"{script}: {table} holds {rows}, expected {literal_rows(embedded)}")


class Rows:
    """Rows saved into one table: values of its grouping columns and, in a text column of its
    own, a mark that tells the copies apart; in the order they were saved."""

    def __init__(self, server, table, keys, columns):
        self.server, self.table, self.keys = server, table, keys
        types = dict(columns)
        self.texts = {k: "char" in types[k] for k in keys}
        self.mark = next(c for c, t in columns if c not in keys and "char" in t)
        self.saved = []

    def key(self, n, null_last=False, lower=False):
        """Key n as the server shows its values: K1 in text columns, 1 in numbers."""
        values = [(f"k{n}" if lower else f"K{n}") if self.texts[k] else str(n)
                  for k in self.keys]
        if null_last:
            values[-1] = None
        return values

    def save(self, rows):
        """Saves (key, mark) rows with one statement."""
        q = self.server.quote
        names = ", ".join(q(c) for c in self.keys + [self.mark])
        values = ", ".join(
            "(" + ", ".join("NULL" if v is None else (f"'{v}'" if self.texts[k] else v)
                            for k, v in zip(self.keys, key)) + f", '{mark}')"
            for key, mark in rows)
        ok, error = self.server.run(f"INSERT INTO {q(self.table)} ({names}) VALUES {values}")
        check(ok, f"{self.table}: rows not saved: {error}")
        self.saved += rows

    def first_copies(self):
        """The rows DELETE.sql must leave: of each group the row saved first. Nulls agree with
        nulls; texts agree as the server compares them."""
        first = []
        for key, mark in self.saved:
            if not any(len(key) == len(k) and all(
                    a == b or (a is not None and b is not None and self.server.same_text(a, b))
                    for a, b in zip(key, k)) for k, _ in first):
                first.append((key, mark))
        return sorted([key + [mark] for key, mark in first], key=str)

    def stored(self):
        q, text = self.server.quote, self.server.text_type
        columns = ", ".join(f"CASE WHEN {q(c)} IS NULL THEN '(null)' ELSE CAST({q(c)} AS {text}) "
                            "END" for c in self.keys + [self.mark])
        rows = self.server.query(f"SELECT {columns} FROM {q(self.table)}")
        return sorted([[None if v == "(null)" else v for v in row] for row in rows], key=str)


def check_delete(server, altered):
    groups = duplicate_groups()
    check(len(groups) == 8, f"the embedded DELETE.sql groups {len(groups)} tables, expected 8")
    tables = {}
    for table, keys in groups:
        rows = tables[table] = Rows(server, table, keys, altered[table])
        # Three copies of one group, two of a group with a null in its last column, a single
        # row, a group that differs from the first in its last column only, and the first
        # group's texts in lower case (the same group on MariaDB, another on PostgreSQL).
        saved = [(rows.key(1), "first"), (rows.key(2), "single"), (rows.key(1), "second"),
                 (rows.key(1, null_last=True), "first"), (rows.key(1), "third"),
                 (rows.key(1, null_last=True), "second")]
        if len(keys) > 1:
            saved.append((rows.key(1)[:-1] + rows.key(3)[-1:], "first"))
        if any(rows.texts.values()):
            saved.append((rows.key(1, lower=True), "lower"))
        rows.save(saved)

    if isinstance(server, Postgres):
        # A later copy stored before the first one, in the place a deleted row left: the oldest
        # transaction decides, not the place.
        department = tables["department"]
        department.save([(["GAP"], "gone")])
        department.save([(["REU"], "first")])
        server.run("DELETE FROM department WHERE dept_code = 'GAP'")
        department.saved = [r for r in department.saved if r[0] != ["GAP"]]
        server.run("VACUUM department")
        department.save([(["REU"], "second")])
        places = server.query("SELECT dept_name FROM department WHERE dept_code = 'REU' "
                              "ORDER BY ctid")
        check(places == [["second"], ["first"]],
              f"the later copy did not take the freed place: {places}")
    else:
        # A run stopped after numbering a table's rows: the next run uses the column and removes
        # it. Rows saved meanwhile are numbered after the others.
        ok, error = server.run("ALTER TABLE bank ADD COLUMN `zuna_copy` bigint NOT NULL "
                               "AUTO_INCREMENT UNIQUE KEY")
        check(ok, f"numbering column not added: {error}")
        tables["bank"].save([(tables["bank"].key(1), "fourth")])

    for attempt in ("first run", "second run"):
        if not run_script(server, "DELETE.sql", whole=True):
            return
        for table, rows in tables.items():
            check(rows.stored() == rows.first_copies(),
                  f"DELETE.sql, {attempt}: {table} holds {rows.stored()}, "
                  f"expected {rows.first_copies()}")
    check_tables(server, altered, "after DELETE.sql")


def check_program(server, expected):
    """create-database, create-tables, alter and delete-duplicates through zuna-transfer and the
    server's ODBC driver, with the server's scripts in the program folder."""
    home = tempfile.mkdtemp(prefix="zuna-server-scripts-")
    try:
        for name in os.listdir(SCRIPTS):
            shutil.copy(os.path.join(SCRIPTS, name), home)
        with open(os.path.join(home, "zuna.ini"), "w") as ini:
            ini.write("[server]\nDriver = odbc\n"
                      f"ConnectionString = DSN={server.odbc_dsn};Database={{catalog}}\n"
                      "FixedServer = test\n")
        env = dict(os.environ, ODBCINI=os.path.join(SERVERS_DIR, "odbc.ini"))
        for command, message in [("create-database", "Database Created"),
                                 ("create-tables", "Table Created"),
                                 ("alter", "Table Altered"),
                                 ("delete-duplicates", "Duplicate Record Deleted")]:
            done = subprocess.run([TRANSFER, "--home", home, command], env=env,
                                  capture_output=True, text=True)
            check(done.returncode == 0 and done.stdout.startswith(message + "\n"),
                  f"zuna-transfer {command}: exit {done.returncode}: {done.stdout}{done.stderr}")
        check_tables(server, expected, "after zuna-transfer create-tables, alter")
    finally:
        shutil.rmtree(home)


def main():
    server = Postgres() if SERVER == "postgresql" else MariaDb()
    created, altered = expected_tables(server)
    ok, error = server.drop_database()
    if not check(ok, f"the database {DATABASE} of an earlier run was not removed: {error}"):
        return 1
    try:
        if (run_script(server, "CreateDatabaseScript.sql", database=server.admin_database)
                and run_script(server, "CreateTableScript.sql")):
            check_tables(server, created, "after CreateTableScript.sql")
            check_dates_and_texts(server)
            if run_script(server, "ALTER.sql", whole=True):
                check_tables(server, altered, "after ALTER.sql")
            # The import runs pk.sql after every import: a second run changes nothing.
            if run_script(server, "pk.sql") and run_script(server, "pk.sql"):
                check_indexes(server)
            if run_script(server, "qualification.sql"):
                check_master_data(server, "qualification.sql", "qualification")
            if run_script(server, "branchmaster.sql"):
                check_master_data(server, "branchmaster.sql", "BranchMaster")
            server.run("DELETE FROM qualification")
            server.run(f"DELETE FROM {server.quote('BranchMaster')}")
            check_delete(server, altered)
            again = split_batches(read_script(SCRIPTS, "CreateDatabaseScript.sql"))[0][0]
            check(not server.run(again, server.admin_database)[0],
                  "a second CreateDatabaseScript.sql succeeded")
        ok, error = server.drop_database()
        check(ok, f"the database {DATABASE} was not removed: {error}")

        check_program(server, altered)
    finally:
        ok, error = server.drop_database()
        check(ok, f"the database {DATABASE} was not removed: {error}")
    print(f"{server.name} scripts: {checks['passed']} checks passed, {checks['failed']} failed")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
