#!/usr/bin/python3
"""Compares every value our FoxPro reader returns with Debian's python3-dbfread.

Tables are written by Debian's python3-dbf. Where that writer falls short (version 0.96 writes no
null bits and strips leading blanks), the few bytes are patched by hand below; where dbfread
falls short (it strips trailing blanks and ignores _NullFlags), the comparison allows for it and
applies the Visual FoxPro null-bit rule itself.

Usage: dbf_oracle_test.py DBF_DUMP
"""
import datetime
import decimal
import json
import os
import subprocess
import sys
import tempfile

import dbf
import dbfread

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), os.pardir, "pylib"))
from checks import check, checks  # the tally shared by the test scripts

DUMP = sys.argv[1]


def ours(path):
    out = subprocess.run([DUMP, path], check=True, capture_output=True, text=True).stdout
    lines = out.splitlines()
    return json.loads(lines[0]), [json.loads(line) for line in lines[1:]]


def field_flags(path):
    """The flags byte of every field descriptor, read straight from the header."""
    with open(path, "rb") as f:
        header = f.read(32)
        header = header + f.read(int.from_bytes(header[8:10], "little") - 32)
    flags, pos = {}, 32
    while header[pos] != 0x0D:
        name = header[pos:pos + 11].split(b"\0")[0].decode("ascii").lower()
        flags[name] = header[pos + 18]
        pos += 32
    return flags


def null_bits(table, raw_flags, flags):
    """Visual FoxPro: one bit per nullable field, in field order; V/Q get a length bit first."""
    bits, nulls = 0, set()
    for field in table.fields:
        if field.type == "0":
            continue
        if field.type in "VQ":
            bits += 1
        if flags[field.name.lower()] & 0x02:
            if raw_flags[bits // 8] >> (bits % 8) & 1:
                nulls.add(field.name.lower())
            bits += 1
    return nulls


def theirs(path, encoding):
    table = dbfread.DBF(path, encoding=encoding, char_decode_errors="strict")
    rows = []
    flags = field_flags(path)
    for record in table:
        raw = record.pop("_NULLFLAGS", None)
        nulls = null_bits(table, raw, flags) if raw is not None else set()
        rows.append({k.lower(): (None if k.lower() in nulls else v) for k, v in record.items()})
    return [f.name.lower() for f in table.fields if f.type != "0"], rows


def same(mine, other, where):
    if other is None:
        check(mine is None, f"{where}: expected null, ours {mine}")
        return
    if mine is None:
        check(False, f"{where}: ours null, expected {other!r}")
        return
    kind, value, text = mine
    if isinstance(other, bool):
        check(kind == "bool" and value == other, f"{where}: {mine} vs {other!r}")
    elif isinstance(other, str):
        # dbfread strips trailing blanks of character fields; ours keeps them as stored.
        check(kind == "text" and (value == other or value.rstrip(" ") == other),
              f"{where}: {mine} vs {other!r}")
    elif isinstance(other, (int, float, decimal.Decimal)):
        check(kind in ("int", "number") and decimal.Decimal(value) == decimal.Decimal(str(other)),
              f"{where}: {mine} vs {other!r}")
    elif isinstance(other, datetime.datetime):
        check(kind == "datetime" and datetime.datetime.fromisoformat(value) == other,
              f"{where}: {mine} vs {other!r}")
    elif isinstance(other, datetime.date):
        check(kind == "date" and value == other.isoformat(), f"{where}: {mine} vs {other!r}")
    elif isinstance(other, bytes):
        check(kind == "binary" and bytes.fromhex(value) == other, f"{where}: {mine} vs {other!r}")
    else:
        check(False, f"{where}: unexpected oracle type {type(other)}")


def compare(path, encoding):
    names, rows = ours(path)
    their_names, their_rows = theirs(path, encoding)
    name = os.path.basename(path)
    check(names == their_names, f"{name}: fields {names} vs {their_names}")
    check(len(rows) == len(their_rows), f"{name}: {len(rows)} rows vs {len(their_rows)}")
    for index, (mine, other) in enumerate(zip(rows, their_rows)):
        for field, value in zip(names, mine):
            same(value, other.get(field), f"{name} row {index} {field}")
    return rows


def make(path, fields, dbf_type, codepage, records, deleted=()):
    table = dbf.Table(path, fields, dbf_type=dbf_type, codepage=codepage)
    table.open(dbf.READ_WRITE)
    for record in records:
        table.append(record)
    for index in deleted:
        dbf.delete(table[index])
    table.close()


def patch_record(path, index, offset, data):
    """Overwrites bytes of record `index` (offset counts from the deletion flag)."""
    with open(path, "r+b") as f:
        header = f.read(12)
        header_length = int.from_bytes(header[8:10], "little")
        record_length = int.from_bytes(header[10:12], "little")
        f.seek(header_length + index * record_length + offset)
        f.write(data)


def record_offset_of(path, field_name):
    table = dbfread.DBF(path)
    offset = 1
    for field in table.fields:
        if field.name.lower() == field_name:
            return offset
        offset += field.length
    raise KeyError(field_name)


def main():
    folder = tempfile.mkdtemp(prefix="zuna-oracle-")

    # dBase III, Windows-1252, with a deleted row and values at the edges.
    db3 = os.path.join(folder, "db3.dbf")
    make(db3, "name C(12); age N(3,0); salary N(10,2); born D; active L", "db3", "cp1252",
         [("Zoë Müller", 41, 1520.5, datetime.date(1985, 3, 7), True),
          ("deleted", 1, 1.0, datetime.date(2000, 1, 1), False),
          ("€uro café", -3, -0.25, datetime.date(1899, 12, 31), False),
          ("", None, None, None, None)],
         deleted=[1])
    rows = compare(db3, "cp1252")
    check(len(rows) == 3, "db3: the deleted row is skipped")
    check(rows[0][0][1] == "Zoë Müller  ", "db3: trailing blanks are kept")

    # dBase III with a .dbt memo: 512-byte blocks, each text ended by 0x1A.
    db3m = os.path.join(folder, "db3m.dbf")
    make(db3m, "code C(6); remarks M; amount N(8,2)", "db3", "cp1252",
         [("A1", "first remark", 12.5), ("B2", "", 0), ("C3", "lines\r\nof text " * 60, 7.25)])
    compare(db3m, "cp1252")

    # FoxPro 2.x with a memo file, DOS Cyrillic (866).
    fp = os.path.join(folder, "fp2.dbf")
    make(fp, "code C(6); remarks M; amount N(8,2); d D", "fp", "cp866",
         [("АБВ", "Примечание первое", 12.5, datetime.date(2019, 2, 28)),
          ("X1", "", 0, None),
          ("gone", "deleted memo", 1, None),
          ("Z9", "line one\r\nline two " * 40, 99999.99, datetime.date(1900, 1, 1))],
         deleted=[2])
    compare(fp, "cp866")

    # Visual FoxPro with nulls, datetime, currency, integer and double, Windows-1251.
    vfp = os.path.join(folder, "vfp.dbf")
    make(vfp, "name C(10) null; ts T null; pay Y null; cnt I null; ratio B null; notes M null; "
              "born D null; ok L null", "vfp", "cp1251",
         [("Иван", datetime.datetime(2001, 1, 2, 12, 30, 15), decimal.Decimal("12.3456"), 5,
           2.5, "заметка", datetime.date(1985, 3, 7), True),
          ("to null", datetime.datetime(2002, 2, 2), decimal.Decimal("1"), 1, 1.0, "x",
           datetime.date(2002, 2, 2), False),
          ("lead", datetime.datetime(1899, 12, 31, 23, 59, 59), decimal.Decimal("-922337.5"),
           -2147483647, -0.125, "", datetime.date(1899, 1, 1), False)])
    # python3-dbf writes no null bits and strips leading blanks: set them by hand.
    patch_record(vfp, 1, record_offset_of(vfp, "_nullflags"), b"\xff")
    patch_record(vfp, 2, record_offset_of(vfp, "name"), b"  lead    ")
    rows = compare(vfp, "cp1251")
    check(all(value is None for value in rows[1]), "vfp: every field of the null row is null")
    check(rows[2][0][1] == "  lead    ", "vfp: leading blanks are kept")

    print(f"{checks['passed']} passed, {checks['failed']} failed")
    return 1 if checks["failed"] else 0


if __name__ == "__main__":
    sys.exit(main())
