#!/usr/bin/env python3
"""Reads a mail message file with Python's email package and prints, one item a line:
  H <name> TAB <value>          every header, in order, unfolded
  R <name> TAB <display> TAB <address>
                                every address of From, To and Reply-To, as email.utils reads them
  D <defect>                    every defect the parser found, in any part
  T <charset> TAB <hex>         the text part: its charset and its text re-encoded as UTF-8
  A <name> TAB <type> TAB <hex> every attachment: file name, content type and bytes
Lines a mail sink puts in front of the message (X-Mail-Args, X-Rcpt-Args) are headers too."""
import email
import email.utils
import sys


def main(path):
    with open(path, "rb") as f:
        message = email.message_from_bytes(f.read())
    out = []
    for name, value in message.items():
        out.append("H %s\t%s" % (name, value.replace("\r\n", "").replace("\n", "")))
    for name in ("From", "To", "Reply-To"):
        for display, address in email.utils.getaddresses(message.get_all(name, [])):
            out.append("R %s\t%s\t%s" % (name, display, address))
    for part in message.walk():
        for defect in part.defects:
            out.append("D %s" % type(defect).__name__)
        if part.is_multipart():
            continue
        filename = part.get_filename()
        payload = part.get_payload(decode=True)
        if filename is None and part.get_content_type() == "text/plain":
            charset = part.get_content_charset() or "us-ascii"
            out.append("T %s\t%s" % (charset, payload.decode(charset).encode("utf-8").hex()))
        else:
            out.append("A %s\t%s\t%s" % (filename, part.get_content_type(), payload.hex()))
    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
