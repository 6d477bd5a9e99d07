#!/usr/bin/env python3
"""CSV and JSON Lines reports over hostile messages, read back with Python's
csv and json modules: the fourteen columns hold exactly the text the plain
report holds (its row is those fields joined by "|"; in JSON the size is a
number), then the eight decoded fields follow, valid UTF-8, null when absent."""
import csv
import io
import json
import os
import subprocess
import sys
import tempfile

binary = os.path.abspath(sys.argv[1])
HEADER = ["Filename", "Size", "File-(MOD)Date", "From", "To", "CC", "Bcc", "Date", "Date-Time",
          "Forward (Prior Sent) Date(s)", "Subject", "Message Read", "Attachment Info", "Recent IP"]
DECODED = ["message_id", "from_text", "to_text", "cc_text", "subject_text", "date_utc",
           "modified_utc", "maildir_flags"]
FIELDS = HEADER + DECODED

MESSAGES = {
    "pipe.eml": b"From: a | b <a@x>\nSubject: Q3 | plan\n\n",
    "quotes.eml": b'From: "Lee, Kim" <k@x>\nTo: "x" ""y""\nSubject: say "hi", ok\n\n',
    "crlf.eml": b"From: c\r\nSubject: one\rtwo\r\n\r\n",
    "nul.eml": b"From: n\x00ul\nSubject: z\x00\n\n",
    "bytes.eml": b"From: \xff\xfe caf\xc3\xa9\nSubject: \x80\xc0\xaf tail\x01\x7f\n\n",
    "ctrlz.eml": b"Subject: before\x1aafter\n",
    'name "q",x.eml': b"Subject: odd name\n",
    "name\nline.eml": b"Subject: newline in the name\n",
    "empty.eml": b"",
    "cur:2,FS": b"Subject: =?utf-8?q?caf=C3=A9?=\n =?utf-8?q?_au_lait?=\nDate: 5 Aug 13 10:22 EDT\n\n",
}
# Decoded fields to check (the rest are null or as Python reads them).
DECODED_OF = {
    "pipe.eml": {"from_text": "a | b <a@x>", "subject_text": "Q3 | plan", "date_utc": None},
    "bytes.eml": {"from_text": "\u00ff\u00fe caf\u00e9", "subject_text": "\u20ac\u00c0\u00af tail\x01\x7f"},
    "cur:2,FS": {"subject_text": "caf\u00e9 au lait", "date_utc": "2013-08-05T14:22:00Z",
                 "maildir_flags": "FS", "to_text": None},
}


def run(args, cwd):
    env = {"TZ": "UTC", "LANG": "C", "HOME": cwd, "PATH": "/usr/bin:/bin"}
    r = subprocess.run([binary] + args, cwd=cwd, env=env, capture_output=True)
    if r.returncode != 0:
        sys.exit("mailsift %s ended with %d: %r" % (args, r.returncode, r.stderr[-500:]))
    return r


def check(condition, what):
    if not condition:
        sys.exit("FAILED: " + what)


def check_decoded(objects, csv_records):
    for o, r in zip(objects, csv_records):
        name = os.path.basename(o["Filename"])
        for i, key in enumerate(DECODED):
            value = o[key]
            # Text is valid UTF-8 (no escaped stray byte); null is an empty CSV field.
            check(value is None or not any(0xDC80 <= ord(c) <= 0xDCFF for c in value),
                  "%s %s is UTF-8" % (name, key))
            check(r[14 + i] == ("" if value is None else value), "%s %s in CSV" % (name, key))
        check(o["modified_utc"] == "2013-08-05T14:22:33Z", name + " modified_utc")
        for key, value in DECODED_OF.get(name, {}).items():
            check(o[key] == value, "%s %s: %r" % (name, key, o[key]))
    absent = [o for o in objects if os.path.basename(o["Filename"]) == "empty.eml"][0]
    check(all(absent[k] is None for k in DECODED[:6]) and absent["maildir_flags"] == "",
          "an empty message has null header fields")


def main():
    work = tempfile.mkdtemp()
    mail = os.path.join(work, "mail")
    os.makedirs(mail)
    for name, data in MESSAGES.items():
        with open(os.path.join(mail, name), "wb") as f:
            f.write(data)
        os.utime(os.path.join(mail, name), (1375712553, 1375712553))
    plain = run([mail], work).stdout
    plain_rows = plain[plain.index(b"\n"):]  # every row begins with its line end
    for jobs in ("1", "4"):
        out_csv = run([mail, "--format=csv", "--jobs=" + jobs], work).stdout
        records = list(csv.reader(io.StringIO(out_csv.decode("utf-8", "surrogateescape"),
                                              newline="")))
        check(records[0] == FIELDS, "CSV header row")
        check(len(records) == len(MESSAGES) + 1, "one CSV record per message")
        check(all(len(r) == len(FIELDS) for r in records), "every CSV record has every field")
        check(out_csv.endswith(b"\r\n") and out_csv.count(b'"\r\n"') == len(MESSAGES),
              "CSV records end with CR LF")
        joined = b"".join(b"\n" + "|".join(r[:14]).encode("utf-8", "surrogateescape")
                          for r in records[1:])
        check(joined == plain_rows, "CSV fields hold the plain report's text (jobs %s)" % jobs)

        out_json = run([mail, "--format=jsonl", "--jobs=" + jobs], work).stdout
        lines = out_json.split(b"\n")
        check(lines[-1] == b"" and len(lines) == len(MESSAGES) + 1, "one JSON object per line")
        objects = [json.loads(line) for line in lines[:-1]]
        check(all(list(o.keys()) == FIELDS for o in objects), "JSON keys are the field names")
        check(all(type(o["Size"]) is int for o in objects), "Size is a JSON number")
        joined = b"".join(b"\n" + "|".join(str(o[k]) for k in HEADER).encode(
            "utf-8", "surrogateescape") for o in objects)
        check(joined == plain_rows, "JSON strings give back the original bytes (jobs %s)" % jobs)
        check_decoded(objects, records[1:])

    # The INI twin and appending: a report that starts empty gets the header
    # row, one that holds rows does not get a second.
    with open(os.path.join(work, "mailsift.ini"), "w") as f:
        f.write("FORMAT=CSV\n")
    open(os.path.join(work, "empty.csv"), "w").close()

    def csv_records(name):
        with open(os.path.join(work, name), newline="", encoding="utf-8",
                  errors="surrogateescape") as f:
            return list(csv.reader(f))

    run([mail, "-o", "r.csv"], work)
    run([mail, "-o", "r.csv", "-a"], work)
    run([mail, "-o", "empty.csv", "-a"], work)
    for name, runs in (("r.csv", 2), ("empty.csv", 1)):
        records = csv_records(name)
        check(records[0] == FIELDS and FIELDS not in records[1:] and
              len(records) == runs * len(MESSAGES) + 1,
              "INI FORMAT=CSV: one header row in %s after %d runs" % (name, runs))

    # The file list: CSV with its header row, appended without a second one;
    # JSON Lines has none.
    with open(os.path.join(work, "list.txt"), "wb") as f:
        f.write(os.path.join(mail, "pipe.eml").encode() + b"\n")
    listed = run(["--source=list.txt", "--format=csv", "-.ini"], work).stdout
    records = list(csv.reader(io.StringIO(listed.decode("utf-8", "surrogateescape"), newline="")))
    check(len(records) == 2 and records[0] == FIELDS, "file list in CSV has its header row")
    for _ in range(2):
        run(["--source=list.txt", "--format=csv", "-o", "listed.csv", "-a", "-.ini"], work)
    check(csv_records("listed.csv") == [FIELDS, records[1], records[1]],
          "file list appended to CSV: one header row")
    listed = run(["--source=list.txt", "--format=jsonl", "-.ini"], work).stdout
    check(json.loads(listed)["Subject"] == "(#1:) Subject: Q3 | plan  ", "file list in JSON Lines")
    print("formats: %d messages, CSV and JSON Lines read back exactly" % len(MESSAGES))


main()
