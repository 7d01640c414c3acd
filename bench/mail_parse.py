#!/usr/bin/env python3
"""The reference of mail_bench: parses a message file with Python's email package and decodes every
leaf part, then prints the seconds that took (reading the file and starting Python not counted) and
the number of decoded bytes. Usage: mail_parse.py FILE"""
import email
import sys
import time


def main(path):
    with open(path, "rb") as f:
        data = f.read()
    start = time.perf_counter()
    message = email.message_from_bytes(data)
    decoded = 0
    for part in message.walk():
        if not part.is_multipart():
            decoded += len(part.get_payload(decode=True) or b"")
    print("%.6f %d" % (time.perf_counter() - start, decoded))


if __name__ == "__main__":
    main(sys.argv[1])
