#!/usr/bin/python3
"""Damages FoxPro tables in every structural way and checks what the reader makes of each mutant.

The undamaged tables come from Debian's python3-dbf (dBase III with and without a .dbt memo,
FoxPro 2.x with an .fpt memo, Visual FoxPro with nulls) and, given ZUNA_SAMPLE, from zuna-sample
(the import's own sample data). Mutants: bit flips of every fixed header byte, header row counts,
header and record lengths, every field descriptor and the terminator, truncations at each
structural boundary of table and memo, memo pointers, memo headers, block sizes and block
headers, code-page bytes, data bytes and deletion flags, and entries of the table's name that are
no file (folder, named pipe, link loop, broken link, empty file, memo that is no file).

Each mutant is read by dbf_dump under a timeout and must end in one of these ways:
- refused: the table does not open, with FoxPro's error (15 not a table, 41 memo, ...);
- read: every row and value equals what the undamaged table gives for the rows the damaged file
  holds (the rows are worked out from its bytes by the documented rules: complete records only,
  deleted ones skipped, records past the header's count only while they carry a deletion flag),
  except where the difference is stated: an error in that very field, a field list, type, width,
  flags, version family or code page that the reader reports differently, a read that stops with
  an error (the rows before it must still be right), or damage inside the value's own bytes (a
  record's field, a memo's own block), which the format does not protect: such a value may read
  as another value, but as null only when its bytes became blank, and a damaged .fpt pointer may
  only lead to another memo of the table or to an error.
Crashes (signals, sanitizer reports) and hangs fail the run.

Usage: dbf_mutation_test.py DBF_DUMP [--sample ZUNA_SAMPLE] [--size N] [--seed S] [--data K]
  --size N   check a deterministic sample of N mutants (default: every mutant, the full campaign)
  --data K   random data-byte mutants per table (default 60)
"""
import argparse
import collections
import datetime
import decimal
import json
import os
import random
import shutil
import stat
import struct
import subprocess
import sys
import tempfile

import dbf

TIMEOUT_SECONDS = 20
MEMO_TYPES = "MGPW"
TEXT_TYPES = "CVM"

Table = collections.namedtuple(
    "Table", "name version count header_length record_length fields descriptors_end memo_kind")
Field = collections.namedtuple("Field", "name type offset length flags")
Mutant = collections.namedtuple("Mutant", "table kind table_bytes memo_bytes region")


def parse(data, memo_kind):
    """The layout of an undamaged table, read straight from its bytes."""
    count, header_length, record_length = struct.unpack("<IHH", data[4:12])
    fields, pos, offset = [], 32, 1
    while data[pos] != 0x0D:
        d = data[pos:pos + 32]
        name = d[:11].split(b"\0")[0].decode("ascii").lower()
        fields.append(Field(name, chr(d[11]).upper(), offset, d[16], d[18]))
        offset += d[16]
        pos += 32
    return Table(None, data[0], count, header_length, record_length, fields, pos + 1, memo_kind)


# The undamaged tables.

def make(path, fields, dbf_type, codepage, records, deleted=()):
    table = dbf.Table(path, fields, dbf_type=dbf_type, codepage=codepage)
    table.open(dbf.READ_WRITE)
    for record in records:
        table.append(record)
    for index in deleted:
        dbf.delete(table[index])
    table.close()


def patch(path, offset, data):
    with open(path, "r+b") as f:
        f.seek(offset)
        f.write(data)


def build_bases(folder, sample):
    bases = []
    db3 = os.path.join(folder, "db3.dbf")
    make(db3, "name C(12); age N(3,0); salary N(10,2); born D; active L", "db3", "cp1252",
         [("Zoë Müller", 41, 1520.5, datetime.date(1985, 3, 7), True),
          ("deleted", 1, 1.0, datetime.date(2000, 1, 1), False),
          ("€uro café", -3, -0.25, datetime.date(1899, 12, 31), False),
          ("", None, None, None, None),
          ("last", 999, 12345.67, datetime.date(2024, 2, 29), True)],
         deleted=[1])
    bases.append((db3, None))

    db3m = os.path.join(folder, "db3m.dbf")
    make(db3m, "code C(6); remarks M; amount N(8,2)", "db3", "cp1252",
         [("A1", "first remark", 12.5), ("B2", "", 0), ("C3", "second\r\nremark " * 30, 7.25),
          ("D4", "x", 1)])
    bases.append((db3m, "dbt"))

    fp = os.path.join(folder, "fp.dbf")
    make(fp, "code C(6); remarks M; amount N(8,2); d D", "fp", "cp866",
         [("АБВ", "Примечание первое", 12.5, datetime.date(2019, 2, 28)),
          ("X1", "", 0, None),
          ("gone", "deleted memo", 1, None),
          ("Z9", "line one\r\nline two " * 40, 99999.99, datetime.date(1900, 1, 1)),
          ("Q7", "short", -1.5, datetime.date(2024, 12, 31))],
         deleted=[2])
    bases.append((fp, "fpt"))

    vfp = os.path.join(folder, "vfp.dbf")
    make(vfp, "name C(10) null; ts T null; pay Y null; cnt I null; ratio B null; notes M null; "
              "born D null; ok L null", "vfp", "cp1251",
         [("Иван", datetime.datetime(2001, 1, 2, 12, 30, 15), decimal.Decimal("12.3456"), 5,
           2.5, "заметка", datetime.date(1985, 3, 7), True),
          ("to null", datetime.datetime(2002, 2, 2), decimal.Decimal("1"), 1, 1.0, "x",
           datetime.date(2002, 2, 2), False),
          ("lead", datetime.datetime(1899, 12, 31, 23, 59, 59), decimal.Decimal("-922337.5"),
           -2147483647, -0.125, "", datetime.date(1899, 1, 1), False)])
    # python3-dbf writes no null bits: row 1 is all nulls.
    with open(vfp, "rb") as f:
        layout = parse(f.read(), "fpt")
    null_flags = next(f for f in layout.fields if f.type == "0")
    patch(vfp, layout.header_length + layout.record_length + null_flags.offset, b"\xff")
    bases.append((vfp, "fpt"))

    if sample:
        generated = os.path.join(folder, "sample")
        subprocess.run([sample, "generate", "--rows", "6", "--personnel-rows", "6", generated],
                       check=True, capture_output=True)
        for name, memo in (("acting", "fpt"), ("paybill", "fpt"), ("personnel", None)):
            target = os.path.join(folder, name + ".dbf")
            shutil.copy(os.path.join(generated, name + ".dbf"), target)
            if memo:
                shutil.copy(os.path.join(generated, name + ".fpt"),
                            os.path.join(folder, name + ".fpt"))
            bases.append((target, memo))
    return bases


# Reading a table with dbf_dump.

Reading = collections.namedtuple("Reading", "outcome details rows counts message")


def read(dump, path, keep_deleted=False):
    command = [dump, path, "--details"] + (["--keep-deleted"] if keep_deleted else [])
    try:
        done = subprocess.run(command, capture_output=True, timeout=TIMEOUT_SECONDS)
    except subprocess.TimeoutExpired:
        return Reading("hang", None, [], None, "no end after %d s" % TIMEOUT_SECONDS)
    err = done.stderr.decode("utf-8", "replace")
    if done.returncode not in (0, 1) or "Sanitizer" in err or "runtime error" in err:
        return Reading("crash", None, [], None, "exit %d: %s" % (done.returncode, err[-2000:]))
    try:
        lines = done.stdout.decode("utf-8").splitlines()
    except UnicodeDecodeError as e:
        return Reading("crash", None, [], None, "the reader delivered text that is not UTF-8: %s %r"
                       % (e, done.stdout[max(0, e.start - 40):e.end + 40]))
    if done.returncode == 1:
        if not err.startswith("error "):
            return Reading("crash", None, [], None, "exit 1 without an error: " + err)
        if not lines:
            return Reading("refused", None, [], None, err.strip())
        return Reading("stopped", json.loads(lines[0]), [json.loads(l) for l in lines[1:]], None,
                       err.strip())
    return Reading("read", json.loads(lines[0]), [json.loads(l) for l in lines[1:-1]],
                   json.loads(lines[-1]), "")


# What a mutant's rows must be.

def is_error(value):
    return isinstance(value, list) and value and value[0] == "error"


def blank_for(field, raw):
    """True when the stored bytes read as null by design."""
    if field.type in MEMO_TYPES or (field.type == "B" and field.length != 8):
        return raw.strip(b" \0") in (b"", b"0" * len(raw.strip(b" \0"))) or raw == b"\0" * 4
    if field.type == "L":
        return raw in (b"?", b" ", b"\0")
    if field.type == "D":
        return raw.strip(b" \0") == b"" or raw == b"00000000"
    if field.type == "T":
        return raw[:4] == b"\0\0\0\0" or raw.strip(b" \0") == b""
    if field.type in "NF":
        return raw.strip(b" \0") == b""
    return False


def delivered_records(table, data):
    """Record indexes the reader must deliver from `data`, by the table's own layout."""
    count = struct.unpack("<I", data[4:8])[0]
    records = max(0, (len(data) - table.header_length) // table.record_length)
    out = []
    for index in range(records):
        flag = data[table.header_length + index * table.record_length]
        if index >= count and flag not in (0x20, 0x2A):
            break
        if flag != 0x2A:
            out.append(index)
    return out


def structure_changed(base_details, details, table):
    """True when the reader states another structure: types, widths, flags, field count, or a
    version that switches what B means."""
    ours, theirs = base_details["fields"], details["fields"]
    if len(ours) != len(theirs):
        return True
    for a, b in zip(ours, theirs):
        if a[1] != b[1] or a[2] != b[2] or a[4] != b[4]:
            return True
    vfp = lambda v: v in (0x30, 0x31, 0x32)
    has_b = any(f.type == "B" for f in table.fields)
    return has_b and vfp(base_details["version"]) != vfp(details["version"])


def judge(base, mutant, reading):
    """None when the mutant's reading is accounted for, else what is wrong."""
    if reading.outcome in ("hang", "crash"):
        return reading.outcome + ": " + reading.message
    if reading.outcome == "refused":
        return None
    if structure_changed(base.details, reading.details, base.table):
        return None
    text_may_differ = reading.details["code_page"] != base.details["code_page"]
    table, region = base.table, mutant.region
    expected = delivered_records(table, mutant.table_bytes)
    rows = reading.rows
    if len(rows) > len(expected) or (len(rows) < len(expected) and reading.outcome != "stopped"):
        return "%d rows delivered, %d expected" % (len(rows), len(expected))
    fields = [f for f in table.fields if f.type != "0"]
    for record, row in zip(expected, rows):
        original = base.all_rows[record] if record < len(base.all_rows) else None
        if original is None:
            return "record %d delivered, which the undamaged table does not hold" % record
        for field, value, was in zip(fields, row, original):
            if value == was or is_error(value):
                continue
            if text_may_differ and field.type in TEXT_TYPES and value and value[0] == "text":
                continue
            start = table.header_length + record * table.record_length + field.offset
            own_bytes = region[0] == "table" and start <= region[1] < start + field.length
            # A record's null bits are its nullable fields' own bytes too.
            if base.null_flags and field.flags & 0x02 and region[0] == "table":
                nulls = start - field.offset + base.null_flags.offset
                if nulls <= region[1] < nulls + base.null_flags.length:
                    continue
            own_memo = region[0] == "memo" and was is not None and \
                base.memo_of(record, field) in base.memo_blocks_at(region[1])
            if own_bytes or own_memo:
                raw = mutant.table_bytes[start:start + field.length]
                if value is None and not blank_for(field, raw):
                    return "record %d %s: bytes %r read as null" % (record, field.name, raw)
                if own_bytes and field.type in MEMO_TYPES and table.memo_kind == "fpt" \
                        and value is not None and value not in base.memos:
                    return "record %d %s: a damaged pointer gave %r, no memo of the table" % (
                        record, field.name, value)
                continue
            return "record %d %s: %r, undamaged %r" % (record, field.name, value, was)
    return None


class Base:
    """An undamaged table with what the reader makes of it."""

    def __init__(self, dump, path, memo_kind, folder):
        with open(path, "rb") as f:
            self.data = f.read()
        self.name = os.path.basename(path)[:-4]
        self.memo_path = path[:-4] + "." + memo_kind if memo_kind else None
        self.memo = open(self.memo_path, "rb").read() if memo_kind else None
        self.table = parse(self.data, memo_kind)
        work = os.path.join(folder, "base-" + self.name)
        os.makedirs(work)
        reading = write_and_read(dump, work, self, self.data, self.memo, keep_deleted=True)
        if reading.outcome != "read" or any(is_error(v) for r in reading.rows for v in r):
            raise SystemExit("the undamaged table %s does not read cleanly: %s" % (
                path, reading.message or reading.rows))
        self.details = reading.details
        self.all_rows = reading.rows
        self.null_flags = self._null_flags()
        # Every memo the table points to, also those its null bits hide.
        visible = reading if not self._null_flags() else write_and_read(
            dump, work, self, self._without_nulls(), self.memo, keep_deleted=True)
        self.memos = [v for row in visible.rows
                      for f, v in zip([f for f in self.table.fields if f.type != "0"], row)
                      if f.type in MEMO_TYPES and v is not None]
        self.blocks = self._memo_blocks()

    def _null_flags(self):
        return next((f for f in self.table.fields if f.type == "0"), None)

    def _without_nulls(self):
        field, t = self._null_flags(), self.table
        out = bytearray(self.data)
        for record in range((len(out) - t.header_length) // t.record_length):
            start = t.header_length + record * t.record_length + field.offset
            out[start:start + field.length] = b"\0" * field.length
        return bytes(out)

    def pointer(self, record, field):
        start = self.table.header_length + record * self.table.record_length + field.offset
        raw = self.data[start:start + field.length]
        if field.length == 4:
            return struct.unpack("<I", raw)[0]
        digits = raw.strip(b" \0")
        return int(digits) if digits.isdigit() else 0

    def memo_of(self, record, field):
        return self.pointer(record, field) if field.type in MEMO_TYPES else None

    def _memo_blocks(self):
        """Byte ranges of every memo the table points to, by block number."""
        blocks = {}
        if self.memo is None:
            return blocks
        size = struct.unpack(">H", self.memo[6:8])[0] or 1 if self.table.memo_kind == "fpt" \
            else 512
        records = (len(self.data) - self.table.header_length) // self.table.record_length
        for record in range(records):
            for field in self.table.fields:
                block = self.memo_of(record, field)
                if not block:
                    continue
                start = block * size
                if self.table.memo_kind == "fpt":
                    end = start + 8 + struct.unpack(">I", self.memo[start + 4:start + 8])[0]
                else:
                    end = self.memo.index(b"\x1a", start) + 1
                blocks[block] = (start, end)
        return blocks

    def memo_blocks_at(self, offset):
        """The memos whose own bytes hold `offset` of the memo file; all of them when the
        offset lies in the header's block size or next free block, which move every memo."""
        if self.table.memo_kind == "fpt" and offset < 8:
            return set(self.blocks)
        return {b for b, (start, end) in self.blocks.items() if start <= offset < end}


def write_and_read(dump, folder, base, table_bytes, memo_bytes, keep_deleted=False):
    for entry in os.listdir(folder):
        path = os.path.join(folder, entry)
        if os.path.isdir(path) and not os.path.islink(path):
            shutil.rmtree(path)
        else:
            os.unlink(path)
    path = os.path.join(folder, "t.dbf")
    with open(path, "wb") as f:
        f.write(table_bytes)
    if memo_bytes is not None:
        with open(os.path.join(folder, "t." + base.table.memo_kind), "wb") as f:
            f.write(memo_bytes)
    return read(dump, path, keep_deleted)


# The mutants.

def flipped(data, offset, bit):
    out = bytearray(data)
    out[offset] ^= 1 << bit
    return bytes(out)


def replaced(data, offset, new):
    out = bytearray(data)
    out[offset:offset + len(new)] = new
    return bytes(out)


def mutants_of(base, rng, data_mutants):
    t, data, memo = base.table, base.data, base.memo
    found = []

    def add(kind, table_bytes, memo_bytes=memo, region=("structure", -1)):
        found.append(Mutant(base, kind, table_bytes, memo_bytes, region))

    for offset in range(32):
        for bit in range(8):
            add("header bit flip", flipped(data, offset, bit), region=("header", offset))
    for value in (0, 1, 2, 3, 0x57, 0x65, 0x7B, 0xC9, 0xEE, 0xFF):
        add("code page byte", replaced(data, 29, bytes([value])))
    n = t.count
    for count in (0, max(n - 1, 0), n + 1, 2 * n + 5, 0x7FFFFFFF, 0xFFFFFFFF):
        add("header row count", replaced(data, 4, struct.pack("<I", count)))
    hl = t.header_length
    for length in (hl - 1, hl + 1, hl - 32, hl + 32, hl + 263, hl - 263, 0, 32, 33, 65535):
        if 0 <= length <= 65535:
            add("header length", replaced(data, 8, struct.pack("<H", length)))
    rl = t.record_length
    for length in (rl - 1, rl + 1, 0, 1, 65535):
        if 0 <= length <= 65535:
            add("record length", replaced(data, 10, struct.pack("<H", length)))
    for index in range((t.descriptors_end - 1 - 32) // 32):
        d = 32 + 32 * index
        for offset, bits in ((0, (0, 5)), (11, range(8)), (16, range(8)), (17, (0, 1)),
                             (18, range(8))):
            for bit in bits:
                add("field descriptor", flipped(data, d + offset, bit), region=("header", d))
        add("field descriptor", replaced(data, d + 12, b"\x07\x00\x00\x00"))
        add("field descriptor", replaced(data, d + 19, bytes(rng.randrange(256) for _ in range(13))))
    for value in (0x00, 0x20, 0x0C, 0x0E, 0x8D):
        add("descriptor terminator", replaced(data, t.descriptors_end - 1, bytes([value])))
    if hl > t.descriptors_end:
        add("backlink", replaced(data, t.descriptors_end, b"x"))
        add("backlink", replaced(data, hl - 1, b"\x7f"))

    boundaries = {0, 1, 8, 31, 32, 33, 64, t.descriptors_end - 1, t.descriptors_end, hl - 1, hl,
                  hl + 1, len(data) - 1}
    boundaries.update(32 + 32 * i for i in range(len(t.fields) + 1))
    records = (len(data) - hl) // rl
    for k in range(records + 1):
        boundaries.update((hl + k * rl - 1, hl + k * rl, hl + k * rl + 1))
    for size in sorted(b for b in boundaries if 0 <= b < len(data)):
        add("table truncated", data[:size], region=("truncate", size))

    for record in range(records):
        start = hl + record * rl
        for flag in (b"*", b" ", b"X", b"\x00"):
            if data[start:start + 1] != flag:
                add("deletion flag", replaced(data, start, flag), region=("table", start))
        for field in t.fields:
            if field.type not in MEMO_TYPES:
                continue
            at = start + field.offset
            if field.length == 4:
                pointers = [struct.pack("<I", v) for v in (0, 1, 2, 7, 0xFFFFFFFF)]
                current = struct.unpack("<I", data[at:at + 4])[0]
                pointers += [struct.pack("<I", current + d) for d in (-1, 1) if current + d >= 0]
            else:
                width = field.length
                current = base.pointer(record, field)
                values = [0, 1, 2, 7, 999999, current - 1, current + 1]
                pointers = [str(v).rjust(width).encode() for v in values if v >= 0]
                pointers += [b" " * width, b"abc".rjust(width), b"-1".rjust(width)]
            for pointer in pointers:
                add("memo pointer", replaced(data, at, pointer), region=("table", at))

    for _ in range(data_mutants):
        if len(data) - 1 <= hl:
            break
        offset = rng.randrange(hl, len(data) - 1)
        add("data byte", replaced(data, offset, bytes([rng.randrange(256)])),
            region=("table", offset))

    if memo is not None:
        header = 8 if t.memo_kind == "fpt" else 4
        for offset in range(header):
            for bit in range(8):
                add("memo header", data, flipped(memo, offset, bit), region=("memo", offset))
        if t.memo_kind == "fpt":
            for size in (0, 1, 8, 32, 63, 65, 128, 512):
                add("memo block size", data, replaced(memo, 6, struct.pack(">H", size)),
                    region=("memo", 6))
        for offset in (8, 100, 300, 511):
            add("memo header", data, replaced(memo, offset, b"\xa5"), region=("memo", offset))
        for block, (start, end) in sorted(base.blocks.items()):
            if t.memo_kind == "fpt":
                for byte in (3, 6, 7):
                    for bit in range(0, 8, 3):
                        add("memo block header", data, flipped(memo, start + byte, bit),
                            region=("memo", start + byte))
            else:
                add("memo end marker", data, replaced(memo, end - 1, b"\x1b"),
                    region=("memo", end - 1))
            add("memo text", data, replaced(memo, rng.randrange(start, end), b"\x00"),
                region=("memo", start))
        memo_boundaries = {0, 8, 32, 511, 512, 513, len(memo) - 1}
        for start, end in base.blocks.values():
            memo_boundaries.update((start, start + 8, end - 1))
        for size in sorted(b for b in memo_boundaries if 0 <= b < len(memo)):
            add("memo truncated", data, memo[:size], region=("truncate-memo", size))
    return found


def check_file_system_oddities(dump, folder, bases, stats):
    """Entries of a table's name that are no table file: each is refused, none hangs."""
    failures = []
    base = next(b for b in bases if b.memo is not None)
    cases = {
        "folder": lambda p: os.mkdir(p),
        "named pipe": lambda p: os.mkfifo(p),
        "link loop": lambda p: os.symlink(os.path.basename(p), p),
        "broken link": lambda p: os.symlink("missing/elsewhere.dbf", p),
        "empty file": lambda p: open(p, "wb").close(),
        "link to a device": lambda p: os.symlink("/dev/zero", p),
    }
    for kind, make_entry in cases.items():
        work = tempfile.mkdtemp(dir=folder)
        path = os.path.join(work, "t.dbf")
        make_entry(path)
        reading = read(dump, path)
        stats[("file system", reading.outcome)] += 1
        if reading.outcome != "refused":
            failures.append("table that is a %s: %s %s" % (kind, reading.outcome, reading.message))
    memo_cases = {
        "folder": lambda p: os.mkdir(p),
        "named pipe": lambda p: os.mkfifo(p),
        "link loop": lambda p: os.symlink(os.path.basename(p), p),
    }
    for kind, make_entry in memo_cases.items():
        work = tempfile.mkdtemp(dir=folder)
        path = os.path.join(work, "t.dbf")
        with open(path, "wb") as f:
            f.write(base.data)
        make_entry(os.path.join(work, "t." + base.table.memo_kind))
        reading = read(dump, path)
        stats[("file system", reading.outcome)] += 1
        if reading.outcome != "refused" or " 41: " not in reading.message:
            failures.append("memo that is a %s: %s %s" % (kind, reading.outcome, reading.message))
    work = tempfile.mkdtemp(dir=folder)
    shutil.copy(os.path.join(folder, "base-" + base.name, "t.dbf"), os.path.join(work, "real.dbf"))
    shutil.copy(base.memo_path, os.path.join(work, "t." + base.table.memo_kind))
    os.symlink("real.dbf", os.path.join(work, "t.dbf"))
    reading = read(dump, os.path.join(work, "t.dbf"), keep_deleted=True)
    stats[("file system", reading.outcome)] += 1
    if reading.outcome != "read" or reading.rows != base.all_rows:
        failures.append("a link to a good table does not read as that table: " + reading.message)
    return failures


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("dump")
    parser.add_argument("--sample", help="zuna-sample, to add the import's own sample tables")
    parser.add_argument("--size", type=int, help="mutants to check (default: all)")
    parser.add_argument("--seed", type=int, default=19)
    parser.add_argument("--data", type=int, default=60, help="random data mutants per table")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    folder = tempfile.mkdtemp(prefix="zuna-mutation-")
    try:
        originals = os.path.join(folder, "originals")
        os.makedirs(originals)
        bases = [Base(args.dump, path, memo, folder)
                 for path, memo in build_bases(originals, args.sample)]
        mutants = [m for b in bases for m in mutants_of(b, rng, args.data)]
        total = len(mutants)
        if args.size is not None and args.size < total:
            mutants = rng.sample(mutants, args.size)
        stats = collections.Counter()
        failures = []
        work = os.path.join(folder, "mutant")
        os.makedirs(work)
        for mutant in mutants:
            reading = write_and_read(args.dump, work, mutant.table, mutant.table_bytes,
                                     mutant.memo_bytes)
            problem = judge(mutant.table, mutant, reading)
            stats[(mutant.kind, reading.outcome)] += 1
            if problem:
                failures.append("%s, %s %s: %s" % (mutant.table.name, mutant.kind,
                                                   mutant.region, problem))
        failures += check_file_system_oddities(args.dump, folder, bases, stats)
    finally:
        for root, dirs, _ in os.walk(folder):
            for d in dirs:
                os.chmod(os.path.join(root, d), stat.S_IRWXU)
        shutil.rmtree(folder, ignore_errors=True)

    kinds = sorted({k for k, _ in stats})
    print("%-22s %8s %8s %8s %8s %8s" % ("mutation", "refused", "read", "stopped", "crash",
                                         "hang"))
    for kind in kinds:
        print("%-22s %8d %8d %8d %8d %8d" % ((kind,) + tuple(
            stats[(kind, o)] for o in ("refused", "read", "stopped", "crash", "hang"))))
    print("%d of %d mutants of %d tables checked, %d unaccounted for" % (
        len(mutants), total, len(bases), len(failures)))
    for failure in failures[:50]:
        print("FAIL:", failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
