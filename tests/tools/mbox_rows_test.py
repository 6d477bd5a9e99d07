#!/usr/bin/env python3
"""mailsift --mbox against Python's mailbox.mbox.

Builds mbox files from generated messages (body lines beginning with "From "
and ">From ", CR LF files, an empty file, a single message, a last message
without a line end, a Ctrl-Z, archives larger than the read windows, a message
larger than all of them) and scans them with --mbox as JSON Lines. For each
archive it checks the number of rows and each message's byte range (separator
offset, start, end) against mailbox.mbox, its MD5 and SHA-256 against hashlib,
and that each row equals the row of the message's get_bytes() saved as a file
of its own, name and modification time aside. The output must be the same
with --jobs 1, 2 and 8, and the summary must count the messages."""
import hashlib
import json
import os
import random
import re
import subprocess
import sys
import tempfile

from mbox_reference import reference

binary = os.path.abspath(sys.argv[1])
SEPARATOR = "From sender@example.org Mon Jan  1 00:00:00 2024"
SKIPPED = {"Filename", "File-(MOD)Date", "modified_utc", "mbox_message", "mbox_offset", "md5", "sha256"}


def message(rng, k, eol="\n", final_eol=True, body_lines=None):
    lines = ["Received: from relay%d (relay [192.0.2.%d])" % (k % 5, k % 250),
             "From: Sender %d <s%d@example.org>" % (k, k), "To: r%d@example.org," % k,
             "\tOther <o@example.net>", "Subject: note %d" % k,
             "Date: Mon, %d Aug 2013 10:22:33 -0400" % (1 + k % 28)]
    if k % 3 == 0:
        lines.append("Cc: team@example.com")
    if k % 4 == 0:
        lines.append("X-Mozilla-Status: 0001")
    lines.append("")
    for _ in range(rng.randint(0, 12) if body_lines is None else body_lines):
        pick = rng.random()
        if pick < 0.1:
            lines.append("From the desk of someone: a body line that begins like a separator")
        elif pick < 0.2:
            lines.append(">From a quoted line")
        elif pick < 0.25:
            lines.append("Sent: Tuesday, August 6, 2013 9:15 AM")
        elif pick < 0.35:
            lines.append("")
        else:
            lines.append("word " * rng.randint(1, 15))
    return eol.join(lines) + (eol if final_eol else "")


def archive(rng, count, eol="\n", last_eol=True, body_lines=None):
    parts = []
    for k in range(count):
        parts.append(SEPARATOR + eol + message(rng, k, eol, last_eol or k + 1 < count, body_lines))
        if k + 1 < count:
            parts.append(eol)
    return "".join(parts).encode()


def cases(rng):
    big_message = archive(rng, 1, body_lines=0) + b"A long body line, with words: and = signs.\n" * 230000
    return {
        "lf.mbox": archive(rng, 40),
        "crlf.mbox": archive(rng, 40, "\r\n"),
        "empty.mbox": b"",
        "one.mbox": archive(rng, 1),
        "no_final_line_end.mbox": archive(rng, 3, last_eol=False),
        "no_final_line_end_crlf.mbox": archive(rng, 3, "\r\n", last_eol=False),
        "ctrl_z.mbox": archive(rng, 2) + b"\n" + SEPARATOR.encode() +
        b"\nFrom: before <b@x>\n\x1aSubject: after the Ctrl-Z\n\nFrom x\nSubject: next\n",
        # The scan ends at the Ctrl-Z; the digests and the next message do not
        # (the message spans two read windows).
        "ctrl_z_long.mbox": archive(rng, 1) + b"\n" + SEPARATOR.encode() + b"\nSubject: cut\n\x1a" +
        b"body line\n" * 120000 + b"\n" + archive(rng, 2),
        "separators_only.mbox": b"From a\nFrom b\n\nFrom c\n\n\nFrom d",
        "many.mbox": archive(rng, 4000),
        "long_message.mbox": archive(rng, 5) + b"\n" + big_message + b"\n" + archive(rng, 5),
    }


def run(args, cwd):
    env = {"TZ": "UTC", "LANG": "C", "HOME": cwd, "PATH": "/usr/bin:/bin"}
    return subprocess.run([binary] + args, cwd=cwd, env=env, stdin=subprocess.DEVNULL,
                          capture_output=True)


def rows(path):
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        return [json.loads(line) for line in f]


def main():
    rng = random.Random(21)
    work = tempfile.mkdtemp()
    boxes = os.path.join(work, "boxes")
    singles = os.path.join(work, "singles")
    os.mkdir(boxes)
    os.mkdir(singles)
    data, expected = {}, {}
    for name, content in cases(rng).items():
        path = os.path.join(boxes, name)
        with open(path, "wb") as f:
            f.write(content)
        os.utime(path, (1375712820, 1375712820))  # 2013-08-05 14:27 UTC
        data[name], expected[name] = content, reference(path)
        for k, (_, _, _, body) in enumerate(expected[name]):
            with open(os.path.join(singles, "%s-%05d.eml" % (name, k + 1)), "wb") as f:
                f.write(body)

    failures = []
    outputs = {}
    for jobs in (1, 2, 8):
        done = run([boxes, "--mbox", "--format=jsonl", "--md5", "--sha256", "--jobs=%d" % jobs,
                    "-o", "report-%d.jsonl" % jobs], work)
        if done.returncode != 0:
            sys.exit("--jobs=%d: exit %d\n%s" % (jobs, done.returncode, done.stderr.decode()))
        with open(os.path.join(work, "report-%d.jsonl" % jobs), "rb") as f:
            report = f.read()
        err = re.sub(rb"Elapsed:.*", b"", done.stderr)
        outputs[jobs] = (report, err)
        if jobs > 1 and outputs[jobs] != outputs[1]:
            failures.append("--jobs=%d gives other output than --jobs=1" % jobs)
    total = sum(len(v) for v in expected.values())
    archives = sum(1 for v in expected.values() if v)
    summary = "\n  %d messages in %d mbox files\n" % (total, archives)
    if summary.encode() not in outputs[1][1]:
        failures.append("no summary line %r" % summary)

    done = run([singles, "--format=jsonl", "-o", "singles.jsonl"], work)
    single_rows = {os.path.basename(r["Filename"]): r for r in rows(os.path.join(work, "singles.jsonl"))}
    by_archive = {}
    for r in rows(os.path.join(work, "report-1.jsonl")):
        name = os.path.basename(r["Filename"])
        if r["mbox_message"] is not None:
            name = name[:name.rindex("#")]
        by_archive.setdefault(name, []).append(r)

    compared = 0
    for name, want in expected.items():
        got = by_archive.get(name, [])
        if not want:
            # Not an archive: one row for the file, no mbox fields.
            if len(got) != 1 or got[0]["mbox_message"] is not None:
                failures.append("%s: %d rows, expected the file's own" % (name, len(got)))
            continue
        if len(got) != len(want):
            failures.append("%s: %d rows, Python finds %d messages" % (name, len(got), len(want)))
            continue
        for k, (row, (separator, start, end, body)) in enumerate(zip(got, want)):
            where = "%s#%d" % (name, k + 1)
            first_lf = data[name].find(b"\n", row["mbox_offset"])
            got_start = len(data[name]) if first_lf < 0 else first_lf + 1
            got_range = (row["mbox_offset"], got_start, got_start + int(row["Size"]))
            if row["Filename"] != os.path.join(boxes, where) or row["mbox_message"] != k + 1:
                failures.append("%s: named %s, number %s" % (where, row["Filename"], row["mbox_message"]))
            if got_range != (separator, start, end):
                failures.append("%s: bytes %s, Python %s" % (where, got_range, (separator, start, end)))
            if row["md5"] != hashlib.md5(body).hexdigest() or \
                    row["sha256"] != hashlib.sha256(body).hexdigest():
                failures.append("%s: digests differ from hashlib's" % where)
            if row["File-(MOD)Date"] != "'2013-08-05 14:27" or \
                    row["modified_utc"] != "2013-08-05T14:27:00Z":
                failures.append("%s: modified %s, %s" % (where, row["File-(MOD)Date"], row["modified_utc"]))
            single = single_rows.get("%s-%05d.eml" % (name, k + 1), {})
            for key, value in single.items():
                if key not in SKIPPED and row.get(key) != value:
                    failures.append("%s: %s %r, as a file %r" % (where, key, row.get(key), value))
            compared += 1

    for f in failures[:40]:
        print("FAIL:", f)
    if failures:
        sys.exit("%d differences" % len(failures))
    print("%d archives, %d messages: count, byte ranges, digests and rows as Python and the "
          "messages' own files give them; the same with --jobs 1, 2 and 8" % (len(expected), compared))


main()
