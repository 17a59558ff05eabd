#!/usr/bin/python3
"""zuna-transfer verify as a user runs it against a real server (PostgreSQL or MariaDB through a
DSN), after an import of the sample data: exit 0 and every row accounted for after the import;
exit 3 naming exactly the table after one value was changed on the server with its own client,
and again after a second import (every table that holds rows), in the per-table lines and in the
JSON summary.

It works in a database of its own (zuna_verify_cli), so the other server tests are not disturbed.

Usage: verify_server_test.py postgresql|mariadb SQL_DIR ZUNA_SAMPLE ZUNA_TRANSFER SERVERS_DIR
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

SERVER, SQL_DIR, SAMPLE, TRANSFER, SERVERS_DIR = sys.argv[1:6]
DATABASE = "zuna_verify_cli"
PASSWORD = "zuna-test"  # tools/test_servers.sh
def server_sql(text):
    """Runs `text` with the server's own client; `DATABASE` when it exists."""
    if SERVER == "postgresql":
        env = dict(os.environ, PGPASSWORD=PASSWORD, PGCONNECT_TIMEOUT="10")
        database = "postgres" if "DATABASE" in text else DATABASE
        command = ["psql", "-X", "-q", "-v", "ON_ERROR_STOP=1", "-h",
                   os.path.join(SERVERS_DIR, "pg-run"), "-U", "zuna", "-d", database, "-c", text]
    else:
        env = dict(os.environ, MYSQL_PWD=PASSWORD)
        command = ["mariadb", "--no-defaults",
                   "--socket=" + os.path.join(SERVERS_DIR, "maria-run", "mysqld.sock"), "-u",
                   "zuna"] + ([] if "DATABASE" in text else [DATABASE]) + ["-e", text]
    done = subprocess.run(command, env=env, capture_output=True, text=True)
    if done.returncode != 0:
        raise RuntimeError(f"{text}: {done.stderr}")


def transfer(home, *args):
    env = dict(os.environ, ODBCINI=os.path.join(SERVERS_DIR, "odbc.ini"))
    return subprocess.run([TRANSFER, "--home", home, *args], env=env, capture_output=True,
                          text=True)


def verify(home, expected_exit, unaccounted, what):
    summary_path = os.path.join(home, "summary.json")
    done = transfer(home, "verify", "--summary", summary_path)
    check(done.returncode == expected_exit,
          f"{what}: verify exit {done.returncode}, expected {expected_exit}\n{done.stdout}"
          f"{done.stderr}")
    flagged = sorted(line.split(":")[0] for line in done.stdout.splitlines()
                     if line.endswith("<< NOT ACCOUNTED FOR"))
    check(flagged == sorted(unaccounted), f"{what}: tables not accounted for {flagged}")
    with open(summary_path) as f:
        summary = json.load(f)
    check(summary["accounted_for"] is (expected_exit == 0),
          f"{what}: summary accounted_for {summary['accounted_for']}")
    return {table["table"]: table for table in summary["tables"]}


def main():
    if SERVER == "postgresql":
        # Without FORCE, which cannot end an autovacuum worker of another role.
        server_sql(f"DROP DATABASE IF EXISTS {DATABASE}")
        server_sql(f"CREATE DATABASE {DATABASE} ENCODING 'UTF8' TEMPLATE template0")
        dsn = "zuna_postgres"
    else:
        server_sql(f"DROP DATABASE IF EXISTS {DATABASE}")
        server_sql(f"CREATE DATABASE {DATABASE} CHARACTER SET utf8mb4 "
                   "COLLATE utf8mb4_general_ci")
        dsn = "zuna_mariadb"
    home = tempfile.mkdtemp(prefix=f"zuna-verify-{SERVER}-")
    try:
        for name in os.listdir(os.path.join(SQL_DIR, SERVER)):
            shutil.copy(os.path.join(SQL_DIR, SERVER, name), home)
        target = f"Driver = odbc\nConnectionString = DSN={dsn};Database={DATABASE}\n"
        with open(os.path.join(home, "zuna.ini"), "w") as f:
            f.write(f"[pay]\n{target}\n[server]\n{target}")
        subprocess.run([SAMPLE, "generate", "--rows", "30", "--personnel-rows", "60",
                        os.path.join(home, "zuna")], check=True, capture_output=True)
        done = transfer(home, "create-tables")
        check(done.returncode == 0, f"create-tables: {done.stdout}{done.stderr}")
        done = transfer(home, "import")
        check(done.returncode in (0, 3), f"import: exit {done.returncode}\n{done.stdout}{done.stderr}")

        tables = verify(home, 0, [], "after the import")
        personnel = tables["personnel"]
        check(personnel["equal"] + personnel["refused_logged"] == personnel["source_rows"],
              f"personnel after the import: {personnel}")

        server_sql("UPDATE cca SET cca_amt = cca_amt + 0.01 WHERE cca_sl = "
                   "(SELECT m FROM (SELECT MIN(cca_sl) AS m FROM cca) AS first_row)")
        tables = verify(home, 3, ["cca"], "one amount changed")
        check(tables["cca"]["changed"] == 1, f"one amount changed: {tables['cca']}")
        server_sql("UPDATE cca SET cca_amt = cca_amt - 0.01 WHERE cca_sl = "
                   "(SELECT m FROM (SELECT MIN(cca_sl) AS m FROM cca) AS first_row)")
        verify(home, 0, [], "the amount changed back")

        # The command line adds to a target that holds rows only when told to.
        done = transfer(home, "import", "--append")
        check(done.returncode in (0, 3), f"import --append: exit {done.returncode}\n{done.stderr}")
        # Every table that holds rows holds each of them twice now.
        holding = [name for name, table in tables.items() if table["equal"] > 0]
        tables = verify(home, 3, holding, "a second import")
        check(tables["personnel"]["extra"] == tables["personnel"]["equal"],
              f"a second import: {tables['personnel']}")
    finally:
        shutil.rmtree(home, ignore_errors=True)
    print(f"{SERVER}: {'FAILED' if checks['failed'] else 'passed'}")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
