#!/usr/bin/env python3
"""Composes mail messages with Python's email package, as an independent composer for readers to be
checked against, and writes each into FOLDER as a file. Prints, one item a line:
  M <file>                     a message file; the lines after it describe it
  S <hex>                      its subject (UTF-8)
  T <hex>                      a line its text holds (UTF-8)
  A <name hex> TAB <hex>       an attachment: its file name (UTF-8) and its bytes
Usage: mailcompose.py FOLDER"""
import binascii
import os
import random
import sys
from email import policy
from email.message import EmailMessage
from email.mime.application import MIMEApplication
from email.mime.base import MIMEBase
from email.mime.multipart import MIMEMultipart
from email.mime.text import MIMEText


def uuencoded(name, data):
    """A uuencoded block: "begin", lines of 45 bytes at most, "`" and "end"."""
    lines = ["begin 644 " + name]
    for start in range(0, len(data), 45):
        lines.append(binascii.b2a_uu(data[start:start + 45], backtick=True).decode("ascii").rstrip("\n"))
    lines += ["`", "end"]
    return "\n".join(lines) + "\n"


def main(folder):
    rng = random.Random(26)
    out = []

    def record(name, message, subject, texts, attachments):
        with open(os.path.join(folder, name), "wb") as f:
            f.write(message.as_bytes(policy=message.policy.clone(linesep="\r\n")))
        out.append("M " + name)
        out.append("S " + subject.encode("utf-8").hex())
        out.extend("T " + text.encode("utf-8").hex() for text in texts)
        out.extend("A %s\t%s" % (file.encode("utf-8").hex(), data.hex()) for file, data in attachments)

    # Nested multipart in the current API: alternative text and HTML, a binary attachment with a
    # name outside ASCII (RFC 2231), a quoted-printable text attachment and a uuencoded one whose
    # last line begins with a dot.
    binary = bytes(rng.randrange(256) for _ in range(30000))
    notes = "caf\u00e9 = 100%\r\nsecond line with trailing blanks   \r\n\tand a tab\r\n".encode("latin-1")
    uu_data = bytes(rng.randrange(256) for _ in range(45 * 3 + 14))
    subject = "Gr\u00fc\u00dfe \u2013 nested parts"
    nested = EmailMessage()
    nested["From"] = "J\u00f6rg M\u00fcller <joerg@example.de>"
    nested["To"] = "Ann <ann@example.com>, bob@example.org"
    nested["Subject"] = subject
    nested.set_content("Plain text with \u00fcmlauts.\nSecond line.\n")
    nested.add_alternative("<p>HTML with \u00fcmlauts.</p>\n", subtype="html")
    nested.add_attachment(binary, maintype="application", subtype="octet-stream", filename="Daten \u00fc\u20ac.bin")
    nested.add_attachment(notes, maintype="text", subtype="plain", cte="quoted-printable", filename="notes.txt")
    uu_part = MIMEBase("application", "octet-stream")
    uu_part.set_payload(uuencoded("table.dat", uu_data))
    uu_part["Content-Transfer-Encoding"] = "x-uuencode"
    uu_part.add_header("Content-Disposition", "attachment", filename="table.dat")
    nested.attach(uu_part)
    record("nested.eml", nested, subject, ["Plain text with \u00fcmlauts.", "Second line."],
           [("Daten \u00fc\u20ac.bin", binary), ("notes.txt", notes), ("table.dat", uu_data)])

    # The older API: a UTF-8 text part in base64 and a PDF whose name is given in RFC 2231 form.
    pdf = b"%PDF-1.4\n" + bytes(rng.randrange(256) for _ in range(5000))
    subject = "K\u00e4se und Brot"
    legacy = MIMEMultipart()
    legacy["From"] = "ann@example.com"
    legacy["To"] = "bob@example.org"
    legacy["Subject"] = "=?utf-8?q?K=C3=A4se_und_Brot?="
    legacy.attach(MIMEText("Gr\u00fc\u00dfe aus K\u00f6ln\nZweite Zeile\n", "plain", "utf-8"))
    attachment = MIMEApplication(pdf, "pdf")
    attachment.add_header("Content-Disposition", "attachment", filename=("utf-8", "", "K\u00e4se.pdf"))
    legacy.attach(attachment)
    legacy.policy = policy.compat32
    record("legacy.eml", legacy, subject, ["Gr\u00fc\u00dfe aus K\u00f6ln", "Zweite Zeile"], [("K\u00e4se.pdf", pdf)])

    # Plain Latin-1 text with a uuencoded block inside it, the way mail was sent before MIME.
    picture = bytes(rng.randrange(256) for _ in range(45 * 7 + 14))
    subject = "Voil\u00e0, the picture"
    inline = EmailMessage()
    inline["From"] = "carl@example.net"
    inline["To"] = "ann@example.com"
    inline["Subject"] = subject
    inline.set_content("Voil\u00e0:\n" + uuencoded("pic.gif", picture) + "Bye.\n", charset="iso-8859-1", cte="8bit")
    record("inline-uu.eml", inline, subject, ["Voil\u00e0:", "Bye."], [("pic.gif", picture)])

    sys.stdout.write("\n".join(out) + "\n")


if __name__ == "__main__":
    main(sys.argv[1])
