#!/usr/bin/python3
"""A server lost in the middle of an import, on a server of the test's own.

The test starts PostgreSQL or MariaDB alone in a scratch folder (tools/test_servers.sh
start-postgres, start-mariadb), so that stopping it disturbs no other test. The import of a
3,000-row department table (arrays of 500) pauses before its third array (the connection's
fault seam, ZUNA_ODBC_FAULTS "pause-at-execute:3:FILE": it creates FILE and waits until the test
removes it), so the server goes at the same moment on every run. On PostgreSQL the rows take
either path: through ODBC (`PostgresCopy = No`, the seam above) or through libpq's COPY (the
default), whose seam is ZUNA_COPY_FAULTS: "rows-per-copy:500" makes each COPY an array of 500
rows, "pause-at-copy:3:FILE" pauses before the third, "lost-answer-at-copy:2" loses the second's
answer.

- restarted: the import goes on once it is back; the array lost with the connection is sent
  again, every row is in the table once, the summary counts every row saved, and the report's
  count of the table equals the summary's with difference 0;
- stopped for good: the import stops with exit 1 after the reconnection wait, with one failure
  that names the data source, the server and the database (on the summary's stop line and in the
  message after "Completed", as every stop; no line per row); the rows saved before are exactly
  the summary's saved count, each lost row of the array is logged under its source row, the rows
  after it in one line;
- a commit (or a COPY) that reaches the server and gets no answer (the seam's
  "lost-at-commit:2", "lost-answer-at-copy:2"): its 500 rows are reported lost as unknown and never sent again, the table holds every row once, and
  `verify` finds them all there.

`verify` exits 0 after each: every row the table lacks is one the log lists.

Usage: server_lost_connection_test.py postgresql|mariadb SQL_DIR ZUNA_TRANSFER TEST_SERVERS_SH
       [odbc|copy]
"""
import datetime
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time

import dbf

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

SERVER, SQL_DIR, TRANSFER, SERVERS_SH = sys.argv[1:5]
ROW_PATH = sys.argv[5] if len(sys.argv) > 5 else "odbc"
COPY = ROW_PATH == "copy"
if COPY and SERVER != "postgresql":
    sys.exit("the COPY path is PostgreSQL's")
# The seam of the path the rows take: its variable, and the texts of its faults.
if COPY:
    FAULTS = "ZUNA_COPY_FAULTS"
    PAUSE = "rows-per-copy:500,pause-at-copy:3:{}"
    UNANSWERED = "rows-per-copy:500,lost-answer-at-copy:2"
else:
    FAULTS = "ZUNA_ODBC_FAULTS"
    PAUSE = "pause-at-execute:3:{}"
    UNANSWERED = "lost-at-commit:2"
DATABASE = "zuna"
ROWS = 3000


class Postgres:
    name = "postgres"
    dsn = "zuna_postgres"

    def __init__(self, folder):
        self.folder = folder
        self.env = dict(os.environ, PGPASSWORD="zuna-test", PGCONNECT_TIMEOUT="10")
        self.where = f"server {folder}/pg-run"

    def run(self, text, database=DATABASE):
        done = subprocess.run(["psql", "-X", "-q", "-A", "-t", "-v", "ON_ERROR_STOP=1", "-h",
                               os.path.join(self.folder, "pg-run"), "-U", "zuna", "-d", database,
                               "-c", text], env=self.env, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return done.stdout.replace("|", "\t").split("\n")

    def drop_database(self):
        self.run(f"DROP DATABASE IF EXISTS {DATABASE}", "postgres")


class MariaDb:
    name = "mariadb"
    dsn = "zuna_mariadb"

    def __init__(self, folder):
        self.folder = folder
        self.env = dict(os.environ, MYSQL_PWD="zuna-test")
        self.where = f"server localhost (socket {folder}/maria-run/mysqld.sock)"

    def run(self, text, database=DATABASE):
        done = subprocess.run(["mariadb", "--no-defaults", "--batch", "--skip-column-names",
                               "--socket=" + os.path.join(self.folder, "maria-run", "mysqld.sock"),
                               "-u", "zuna", *([database] if database else []), "-e", text],
                              env=self.env, capture_output=True, text=True)
        if done.returncode != 0:
            raise RuntimeError(f"{text}: {done.stderr}")
        return done.stdout.split("\n")

    def drop_database(self):
        self.run(f"DROP DATABASE IF EXISTS {DATABASE}", None)


class Server:
    def __init__(self, folder):
        self.engine = (Postgres if SERVER == "postgresql" else MariaDb)(folder)
        self.folder = folder

    def servers(self, command):
        subprocess.run([SERVERS_SH, f"{command}-{self.engine.name}", self.folder], check=True)

    def value(self, text):
        """The first row of a query, its columns joined by '|'."""
        return self.engine.run(text)[0].replace("\t", "|")


def write_department(path):
    table = dbf.Table(path, "dept_code C(4); dept_name C(20); user_id C(8); ddo_code C(10); "
                            "opr_date D", dbf_type="db3")
    table.open(dbf.READ_WRITE)
    for number in range(1, ROWS + 1):
        table.append((f"{number:04d}", f"DEPT {number}", "U1", "DDO", datetime.date(2001, 2, 3)))
    table.close()


def program_folder(data, scratch, dsn):
    home = tempfile.mkdtemp(prefix="home-", dir=scratch)
    for name in os.listdir(os.path.join(SQL_DIR, SERVER)):
        if name.endswith(".sql"):
            shutil.copy(os.path.join(SQL_DIR, SERVER, name), home)
    shutil.copytree(data, os.path.join(home, "zuna"))
    with open(os.path.join(home, "zuna.ini"), "w") as f:
        # On PostgreSQL the rows take the ODBC connection's path only when the COPY path is
        # turned off.
        f.write(f"[pay]\nDriver = odbc\nConnectionString = DSN={dsn};Database={DATABASE}\n"
                f"{'' if COPY else 'PostgresCopy = No'}\n\n"
                f"[server]\nDriver = odbc\nConnectionString = DSN={dsn};Database={{catalog}}\n"
                "FixedServer = test\n")
    return home


def transfer(home, env, *args):
    return subprocess.run([TRANSFER, "--home", home, *args], env=env, capture_output=True,
                          text=True)


def lost_rows(home):
    """The department rows import_errors lists as lost one by one, and the count of the rest."""
    path = os.path.join(home, "import_errors")
    if not os.path.exists(path):
        return [], []
    with open(path, "rb") as f:
        lines = f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]
    return [int(line.split("\t")[1]) for line in lines if line.split("\t")[1] != "0"], \
        [line for line in lines if line.split("\t")[1] == "0"]


def log_lines(home):
    """The lines of import_errors."""
    with open(os.path.join(home, "import_errors"), "rb") as f:
        return f.read()[2:].decode("utf-16-le").split("\r\n")[:-1]


def import_with_pause(server, home, env, at_pause):
    """Runs the import, does `at_pause` while it waits before its third array."""
    pause = os.path.join(home, "paused")
    env = dict(env, **{FAULTS: PAUSE.format(pause)})
    summary = os.path.join(home, "summary.json")
    out, err = "", ""
    process = subprocess.Popen([TRANSFER, "--home", home, "import", "--summary", summary],
                               env=env, stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                               text=True)
    try:
        deadline = time.monotonic() + 120
        while (not os.path.exists(pause) and process.poll() is None
               and time.monotonic() < deadline):
            time.sleep(0.05)
        paused = check(os.path.exists(pause), "the import did not reach its third array")
        if paused:
            check(server.value("SELECT count(*) FROM department") == "1000",
                  "two arrays are not saved at the pause")
            at_pause()
            os.remove(pause)
        out, err = process.communicate(timeout=300)
    finally:
        if process.poll() is None:  # a failed step must not leave the import waiting
            process.kill()
            process.wait()
    if not check(os.path.exists(summary), f"no summary: exit {process.returncode}\n{out}{err}"):
        raise RuntimeError("the import wrote no summary")
    with open(summary) as f:
        return process.returncode, out + err, json.load(f)


def prepare(server, home, env):
    server.engine.drop_database()
    for command in ("create-database", "create-tables"):
        done = transfer(home, env, command)
        check(done.returncode == 0, f"{command}: {done.stdout}{done.stderr}")


def restarted(server, home, env):
    prepare(server, home, env)
    code, output, summary = import_with_pause(server, home, env,
                                              lambda: server.servers("restart"))
    check(code == 0, f"import after a restart: exit {code}\n{output}")
    totals = summary["totals"]
    check(totals["rows_saved"] == ROWS and totals["rows_refused"] == 0,
          f"restart: the summary counts {totals}")
    stored = server.value("SELECT count(*), count(DISTINCT dept_code) FROM department")
    check(stored == f"{ROWS}|{ROWS}", f"restart: the table holds {stored} (rows|distinct)")
    done = transfer(home, env, "report")
    check(done.returncode == 0, f"report after a restart: exit {done.returncode}\n{done.stdout}")
    with open(os.path.join(home, "data_transfer_rpt"), "rb") as f:
        lines = [line.split("|")[1:5] for line in f.read().decode("cp1252").split("\r\n")
                 if line.startswith("| department ")]
    check([list(map(str.strip, line)) for line in lines] ==
          [["department", str(ROWS), str(totals["rows_saved"]), "0"]],
          f"restart: the report says {lines}")
    done = transfer(home, env, "verify")
    check(done.returncode == 0, f"verify after a restart: exit {done.returncode}\n{done.stdout}")


def stopped(server, home, env):
    prepare(server, home, env)
    env = dict(env, ZUNA_RECONNECT_WAIT="2")
    code, output, summary = import_with_pause(server, home, env,
                                              lambda: server.servers("stop"))
    server.servers("restart")  # to count what the table holds
    check(code == 1, f"import with the server gone: exit {code}\n{output}")
    # One failure, told where every stop is told (the summary's line and the message after
    # "Completed"), not a line per row.
    named = [line for line in output.splitlines() if "did not come back" in line]
    stop = [line for line in named if line.startswith("saving stopped at department: error ")]
    check(len(stop) == 1 and len(named) == 2, f"not one message for the server gone:\n{output}")
    reason = stop[0].split(": ", 1)[1] if stop else "?"
    check(all(reason.split(" (")[0] in line for line in named),
          f"the lines that tell the stop differ:\n{named}")
    # The COPY path knows the server through libpq, not the data source's name.
    for part in ([] if COPY else [f"DSN {server.engine.dsn}"]) + [
            server.engine.where, "database zuna", "within 2 seconds"]:
        check(all(part in line for line in named), f"the message does not name {part}: {named}")
    totals = summary["totals"]
    stored = server.value("SELECT count(*), count(DISTINCT dept_code) FROM department")
    check(stored == f"{totals['rows_saved']}|{totals['rows_saved']}",
          f"stop: the table holds {stored} (rows|distinct), the summary {totals}")
    check(totals["rows_saved"] == 1000, f"stop: {totals['rows_saved']} saved, not the 2 arrays")
    check(totals["rows_saved"] + totals["rows_refused"] == ROWS, f"stop: counts {totals}")
    check(summary["stopped"] is not None and summary["stopped"]["at"] == "department",
          f"stop: the summary's stop {summary['stopped']}")
    # The array lost with the server: each of its rows under its source row; the rows after
    # it in one line. A COPY is sent on its own thread once its 500th row is taken, while the
    # next 500 rows are taken; the loss is told to the row after those, which is lost under its
    # own source row too.
    each, grouped = lost_rows(home)
    last = 2001 if COPY else 1500
    check(sorted(each) == list(range(1001, last + 1)),
          f"stop: rows lost one by one {sorted(each)[:3]}...{sorted(each)[-3:]}")
    check(any(f"rows {last + 1} to 3000" in line for line in grouped),
          f"stop: no line for the rows after the stop: {grouped}")
    # Every row the table lacks is one the log lists.
    done = transfer(home, env, "verify")
    check(done.returncode == 0, f"verify after a stop: exit {done.returncode}\n{done.stdout}")


def commit_without_answer(server, home, env):
    """The second commit (or COPY) reaches the server and gets no answer (the fault seam)."""
    prepare(server, home, env)
    summary_file = os.path.join(home, "summary.json")
    done = transfer(home, dict(env, **{FAULTS: UNANSWERED}), "import", "--summary", summary_file)
    check(done.returncode == 3, f"import with a commit unanswered: exit {done.returncode}\n"
                                f"{done.stdout}{done.stderr}")
    with open(summary_file) as f:
        totals = json.load(f)["totals"]
    check(totals["rows_saved"] == ROWS - 500 and totals["rows_refused"] == 500,
          f"unanswered commit: the summary counts {totals}")
    # Its rows are reported lost and never sent again: the server kept them, once each.
    each, _ = lost_rows(home)
    check(sorted(each) == list(range(501, 1001)), f"unanswered commit: rows lost {each[:5]}...")
    lines = [line for line in log_lines(home) if line.split("\t")[1] != "0"]
    check(lines and all("unknown" in line for line in lines),
          f"unanswered commit: not reported lost as unknown: {lines[:1]}")
    stored = server.value("SELECT count(*), count(DISTINCT dept_code) FROM department")
    check(stored == f"{ROWS}|{ROWS}", f"unanswered commit: the table holds {stored}")
    # verify settles what the import could not know: every row is there, once.
    done = transfer(home, env, "verify")
    check(done.returncode == 0 and f"department: {ROWS} source rows, {ROWS} equal, 0 refused"
          in done.stdout, f"verify after an unanswered commit: exit {done.returncode}\n"
                          f"{done.stdout}")


def unreadable_faults(server, home, env):
    """A fault text the COPY path cannot read fails the import rather than running without it."""
    prepare(server, home, env)
    done = transfer(home, dict(env, ZUNA_COPY_FAULTS="pause-at-copy:3"), "import")
    # The table's connection cannot be opened: its rows are reported lost with the reason.
    told = done.stdout + done.stderr + "\n".join(log_lines(home))
    check(done.returncode != 0 and "ZUNA_COPY_FAULTS" in told,
          f"an unreadable ZUNA_COPY_FAULTS: exit {done.returncode}\n{told[-2000:]}")
    check(server.value("SELECT count(*) FROM department") == "0",
          "rows were saved without the fault asked for")


def main():
    scratch = tempfile.mkdtemp(prefix="zuna-lost-")
    os.chmod(scratch, 0o711)  # the server's own user passes through to its folder
    folder = os.path.join(scratch, "srv")
    server = Server(folder)
    env = dict(os.environ, ODBCINI=os.path.join(folder, "odbc.ini"), ZUNA_NO_VIEWER="1")
    try:
        server.servers("start")
        data = os.path.join(scratch, "data")
        os.mkdir(data)
        write_department(os.path.join(data, "department.dbf"))
        restarted(server, program_folder(data, scratch, server.engine.dsn), env)
        stopped(server, program_folder(data, scratch, server.engine.dsn), env)
        commit_without_answer(server, program_folder(data, scratch, server.engine.dsn), env)
        if COPY:
            unreadable_faults(server, program_folder(data, scratch, server.engine.dsn), env)
    finally:
        subprocess.run([SERVERS_SH, "stop", folder])
        shutil.rmtree(scratch, ignore_errors=True)
    print(f"{checks['passed']} checks passed, {checks['failed']} failed")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
