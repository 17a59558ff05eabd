#!/usr/bin/python3
"""zuna-transfer import's progress on standard error: on a terminal (a pseudo-terminal here) one
line per table, redrawn in place and never wider than the terminal; to a pipe only whole lines
without control characters; with --quiet none at all. Standard output keeps the messages alone.

Usage: progress_cli_test.py ZUNA_TRANSFER ZUNA_SAMPLE
"""
import fcntl
import os
import pty
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import termios

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

TRANSFER, SAMPLE = sys.argv[1], sys.argv[2]
COLUMNS = 72
REDRAW = "\r\x1b[K"
def prepare(home):
    os.mkdir(home)
    scripts = os.path.dirname(TRANSFER)
    for script in os.listdir(scripts):
        if script.endswith(".sql"):
            shutil.copy(os.path.join(scripts, script), home)
    for command in ("create-database", "create-tables"):
        subprocess.run([TRANSFER, "--home", home, command], check=True, capture_output=True)
    subprocess.run([SAMPLE, "generate", "--rows", "3", "--personnel-rows", "3000",
                    "--no-refused-rows", os.path.join(home, "zuna")], check=True,
                   capture_output=True)


def env(term="xterm"):
    return dict(os.environ, ZUNA_NO_VIEWER="1", TERM=term)


def import_on_terminal(home, *args, term="xterm"):
    """Runs the import with standard error on a pseudo-terminal of COLUMNS columns."""
    leader, follower = pty.openpty()
    fcntl.ioctl(follower, termios.TIOCSWINSZ, struct.pack("HHHH", 24, COLUMNS, 0, 0))
    attributes = termios.tcgetattr(follower)
    attributes[1] &= ~termios.ONLCR  # keep the program's own line ends
    termios.tcsetattr(follower, termios.TCSANOW, attributes)
    process = subprocess.Popen([TRANSFER, "--home", home, "import", *args],
                               stdout=subprocess.PIPE, stderr=follower, env=env(term))
    os.close(follower)
    written = b""
    while True:
        try:
            chunk = os.read(leader, 65536)
        except OSError:  # the terminal closes with the last process that holds it
            break
        if not chunk:
            break
        written += chunk
    out = process.stdout.read().decode()
    process.wait()
    os.close(leader)
    return process.returncode, out, written.decode()


def progress_lines(err):
    """The lines before the closing summary table."""
    return err.split("\n\ntable ")[0].split("\n")[1:]


def test_terminal(home):
    status, out, err = import_on_terminal(home)
    check(status == 0, f"import on a terminal: exit {status}")
    check(out.splitlines()[-1] == "Completed" and REDRAW not in out,
          f"standard output keeps the messages: {out[-200:]}")
    lines = progress_lines(err)
    personnel = [l for l in lines if l.startswith(REDRAW + "personnel: ")]
    check(len(personnel) == 1, f"personnel has one line on the terminal: {personnel}")
    if personnel:
        drawn = personnel[0].split(REDRAW)[1:]
        check(drawn[0] == "personnel: 0 of 3000 rows",
              f"the table's line starts with the header's count: {drawn[0]}")
        check(re.fullmatch(r"personnel: 2940 rows copied, \d+ rows/s", drawn[-1]),
              f"and ends with its result: {drawn[-1]}")
        for middle in drawn[1:-1]:
            check(re.fullmatch(r"personnel: \d+ of 3000 rows, \d+ rows/s, ETA \d+:\d\d", middle),
                  f"a redrawn line: {middle}")
    copied = [l for l in lines if l.endswith(" rows/s") and " rows copied, " in l]
    check(len(copied) == 67, f"one line for each of the 67 tables: {len(copied)}")
    widest = max(len(part) for line in lines for part in line.split(REDRAW))
    check(widest < COLUMNS, f"a line of {widest} characters on a {COLUMNS}-column terminal")


def test_dumb_terminal_and_pipe(home):
    status, _, err = import_on_terminal(home, "--append", term="dumb")
    check(status == 0 and "\x1b" not in err and "\r" not in err,
          f"a dumb terminal gets plain lines: {err[:300]!r}")
    done = subprocess.run([TRANSFER, "--home", home, "import", "--append"], capture_output=True,
                          text=True, env=env())
    check(done.returncode == 0, f"import to a pipe: exit {done.returncode}")
    check("\x1b" not in done.stderr and "\r" not in done.stderr,
          f"a pipe gets no control characters: {done.stderr[:300]!r}")
    for line in progress_lines(done.stderr):
        check(re.fullmatch(r"[\w-]+: (\d+ of \d+ rows(, \d+ rows/s, ETA [\d:]+)?|"
                           r"\d+ rows copied, \d+ rows/s)", line), f"a plain line: {line!r}")


def test_quiet(home):
    for quiet in (["--quiet"], ["-q"]):
        status, out, err = import_on_terminal(home, "--append", *quiet)
        check(status == 0, f"{quiet}: exit {status}")
        check(err.startswith("\ntable "), f"{quiet}: only the closing summary: {err[:200]!r}")
        check(out.splitlines()[-1] == "Completed", f"{quiet}: the messages stay: {out[-100:]}")


def main():
    work = tempfile.mkdtemp(prefix="zuna-progress-")
    try:
        home = os.path.join(work, "home")
        prepare(home)
        test_terminal(home)
        test_dumb_terminal_and_pipe(home)
        test_quiet(home)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    if checks["failed"]:
        print(f"{checks['failed']} failed")
        sys.exit(1)
    print("import progress: ok")


main()
