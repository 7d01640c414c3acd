#!/usr/bin/env python3
"""An independent reader of REGEDIT4 text, used to check the registry's exports.

Prints one line per key ("K <path>") and per value ("V <path>|<name>|<type>|<hex data>"), in file
order. Exits with status 1 and a message on stderr for text it does not accept.
"""
import sys


def fail(line_number, message):
    sys.stderr.write("line %d: %s\n" % (line_number, message))
    sys.exit(1)


def logical_lines(text):
    physical = text.replace("\r\n", "\n").replace("\r", "\n").split("\n")
    number = 0
    while number < len(physical):
        start = number
        line = physical[number].strip(" \t")
        number += 1
        while line.endswith("\\") and not line.startswith("[") and not line.startswith(";"):
            if number >= len(physical):
                fail(start + 1, "continuation at the end")
            line = line[:-1] + physical[number].strip(" \t")
            number += 1
        yield start + 1, line


def read_quoted(line, at, line_number):
    assert line[at] == '"'
    out = []
    i = at + 1
    while i < len(line):
        c = line[i]
        if c == "\\":
            if i + 1 >= len(line) or line[i + 1] not in '\\"':
                fail(line_number, "bad escape")
            out.append(line[i + 1])
            i += 2
            continue
        if c == '"':
            return "".join(out), i + 1
        out.append(c)
        i += 1
    fail(line_number, "unterminated string")


def hex_bytes(text, line_number):
    text = text.strip()
    if text.endswith(","):
        text = text[:-1]
    if not text:
        return b""
    out = bytearray()
    for item in text.split(","):
        item = item.strip()
        if not 1 <= len(item) <= 2:
            fail(line_number, "bad byte %r" % item)
        out.append(int(item, 16))
    return bytes(out)


def main():
    with open(sys.argv[1], "rb") as handle:
        text = handle.read().decode("utf-8")
    if text.startswith("\ufeff"):
        text = text[1:]
    seen_signature = False
    key = None
    for line_number, line in logical_lines(text):
        if not line:
            continue
        if not seen_signature:
            if line != "REGEDIT4":
                fail(line_number, "missing REGEDIT4")
            seen_signature = True
            continue
        if line.startswith(";"):
            continue
        if line.startswith("["):
            if not line.endswith("]"):
                fail(line_number, "bad header")
            key = line[1:-1]
            print("K " + key)
            continue
        if key is None:
            fail(line_number, "value outside a key")
        if line.startswith("@"):
            name, rest = "", line[1:]
        elif line.startswith('"'):
            name, end = read_quoted(line, 0, line_number)
            rest = line[end:]
        else:
            fail(line_number, "unexpected line")
        rest = rest.strip()
        if not rest.startswith("="):
            fail(line_number, "missing =")
        data = rest[1:].strip()
        if data.startswith('"'):
            value, end = read_quoted(data, 0, line_number)
            if data[end:].strip():
                fail(line_number, "text after string")
            kind, raw = 1, value.encode("utf-8") + b"\0"
        elif data.startswith("dword:"):
            kind, raw = 4, int(data[6:], 16).to_bytes(4, "little")
        elif data.startswith("hex:"):
            kind, raw = 3, hex_bytes(data[4:], line_number)
        elif data.startswith("hex("):
            close = data.index("):")
            kind, raw = int(data[4:close], 16), hex_bytes(data[close + 2:], line_number)
        else:
            fail(line_number, "unknown data")
        print("V %s|%s|%d|%s" % (key, name, kind, raw.hex()))


if __name__ == "__main__":
    main()
