#!/usr/bin/env python3
"""Prints everything a conversion left in the emulation's service files, in a
text that shows each stored byte and stays the same from run to run.

    python3 bench/dump_service.py OCIEMU_HOME

For each service file (<service>.db) of the emulation's home folder: the
dictionary (ociemu_* tables, rows sorted; object ids left out, since they
number objects in the order they were made), the SQLite definitions of tables and indexes, then
every user table of every schema with its rows in the order they were
inserted (rowid). A cell is shown with its storage class:
    NULL        no value
    i:123       integer
    r:12.5      real, as Python's repr, which reads back to the same double
    t:'...'     text, valid UTF-8: printable characters as they are,
                backslash, tab, newline and other control or unprintable
                characters escaped (\\\\, \\t, \\n, \\xNN, \\uNNNN)
    t!'...'     text that is not valid UTF-8, byte by byte (\\xNN)
    x:0A1B      blob, in hex
so that two cells print alike only when they hold the same bytes.
"""
import os
import sqlite3
import sys

ESCAPES = {"\\": "\\\\", "\t": "\\t", "\n": "\\n", "\r": "\\r"}


def text_cell(raw: bytes) -> str:
    try:
        text = raw.decode("utf-8")
    except UnicodeDecodeError:
        shown = "".join(chr(b) if 32 <= b < 127 and b != 92 else "\\x%02x" % b for b in raw)
        return "t!'" + shown + "'"
    out = []
    for ch in text:
        if ch in ESCAPES:
            out.append(ESCAPES[ch])
        elif ch.isprintable():
            out.append(ch)
        elif ord(ch) < 256:
            out.append("\\x%02x" % ord(ch))
        else:
            out.append("\\u%04x" % ord(ch) if ord(ch) < 0x10000 else "\\U%08x" % ord(ch))
    return "t:'" + "".join(out) + "'"


def cell(kind: str, value) -> str:
    if kind == "null":
        return "NULL"
    if kind == "integer":
        return "i:%d" % value
    if kind == "real":
        return "r:" + repr(value)
    if kind == "text":
        return text_cell(value)
    return "x:" + bytes(value).hex().upper()


def quoted(name: str) -> str:
    return '"' + name.replace('"', '""') + '"'


def rows_of(db, table: str, columns, order: str):
    """Every row of the table as its rendered cells."""
    selected = ", ".join("typeof(%s), %s" % (quoted(c), quoted(c)) for c in columns)
    for row in db.execute("SELECT %s FROM %s %s" % (selected, quoted(table), order)):
        yield "\t".join(cell(row[i].decode(), row[i + 1]) for i in range(0, len(row), 2))


def column_names(db, table: str):
    return [r[1].decode("utf-8") for r in db.execute("PRAGMA table_info(%s)" % quoted(table))]


def has_rowid(db, table: str) -> bool:
    try:
        db.execute("SELECT rowid FROM %s LIMIT 0" % quoted(table))
        return True
    except sqlite3.OperationalError:
        return False


def dump_dictionary(db, tables, out):
    for table in tables:
        columns = [c for c in column_names(db, table) if not (table == "ociemu_objects" and c == "OBJECT_ID")]
        rows = sorted(rows_of(db, table, columns, ""))
        out.write("## dictionary %s rows=%d\n%s\n" % (table, len(rows), "\t".join(columns)))
        for row in rows:
            out.write(row + "\n")


def dump_user_table(db, table: str, out):
    columns = column_names(db, table)
    order = "ORDER BY rowid" if has_rowid(db, table) else ""
    rows = list(rows_of(db, table, columns, order))
    out.write("## table %s rows=%d\n%s\n" % (text_cell(table.encode("utf-8")), len(rows), "\t".join(columns)))
    for row in rows:
        out.write(row + "\n")


def dump_service(path: str, out):
    db = sqlite3.connect("file:%s?mode=ro" % path, uri=True)
    db.text_factory = bytes
    objects = [(kind.decode(), name.decode("utf-8"), (sql or b"").decode("utf-8"))
               for kind, name, sql in db.execute("SELECT type, name, sql FROM sqlite_master")]
    out.write("# service %s\n## sqlite definitions\n" % os.path.basename(path))
    for kind, name, sql in sorted(objects):
        if kind != "view" and name != "sqlite_sequence":
            out.write("%s %s: %s\n" % (kind, name, " ".join(sql.split())))
    tables = sorted(name for kind, name, _ in objects if kind == "table" and name != "sqlite_sequence")
    dump_dictionary(db, [t for t in tables if t.startswith("ociemu_")], out)
    for table in tables:
        if not table.startswith("ociemu_") and table != "DUAL":
            dump_user_table(db, table, out)
    db.close()


def main():
    if len(sys.argv) != 2:
        sys.exit("usage: dump_service.py OCIEMU_HOME")
    home = sys.argv[1]
    out = sys.stdout
    services = sorted(f for f in os.listdir(home) if f.endswith(".db"))
    if not services:
        sys.exit("no service file in " + home)
    for name in services:
        dump_service(os.path.join(home, name), out)


if __name__ == "__main__":
    main()
