#!/usr/bin/env python3
"""The mbox splitter against Python's mailbox.mbox.

Builds mbox files from generated messages and from random runs of the pieces
that matter to splitting, splits each with mailsift_mbox_probe at window sizes
from one byte to 1 MiB, and checks the message count, each message's separator
offset, start and end, and its bytes against mailbox.mbox's table of contents
and get_bytes(). Also checks that a file counts as an mbox exactly when Python
finds a message at its first byte."""
import os
import random
import subprocess
import sys
import tempfile

from mbox_reference import reference

probe = os.path.abspath(sys.argv[1])
WINDOWS = [1, 2, 5, 6, 7, 13, 4096, 1 << 20]
SEPARATOR = "From sender@example.org Mon Jan  1 00:00:00 2024"


def message(rng, k, eol="\n", final_eol=True):
    lines = ["From: Sender %d <s%d@example.org>" % (k, k), "To: r%d@example.org" % k,
             "Subject: note %d" % k, ""]
    for _ in range(rng.randint(0, 12)):
        pick = rng.random()
        if pick < 0.1:
            lines.append("From the desk of someone: a body line that begins like a separator")
        elif pick < 0.2:
            lines.append(">From a quoted line")
        elif pick < 0.3:
            lines.append("")
        else:
            lines.append("word " * rng.randint(1, 15))
    return eol.join(lines) + (eol if final_eol else "")


def archive(rng, count, eol="\n", blanks=1, trailing=1, last_eol=True):
    parts = []
    for k in range(count):
        parts.append(SEPARATOR + eol + message(rng, k, eol, last_eol or k + 1 < count))
        if k + 1 < count:
            parts.append(eol * blanks)
    parts.append(eol * trailing if last_eol else "")
    return "".join(parts).encode()


def named_cases(rng):
    cases = {
        "empty": b"",
        "one": archive(rng, 1),
        "one_crlf": archive(rng, 1, "\r\n"),
        "five": archive(rng, 5),
        "five_crlf": archive(rng, 5, "\r\n"),
        "no_final_line_end": archive(rng, 3, last_eol=False),
        "no_final_line_end_crlf": archive(rng, 3, "\r\n", last_eol=False),
        "no_blank_between": archive(rng, 4, blanks=0, trailing=0),
        "ends_in_one_empty_line": archive(rng, 2, trailing=1),
        "ends_in_empty_lines": archive(rng, 2, trailing=3),
        "ends_in_empty_lines_crlf": archive(rng, 2, "\r\n", trailing=3),
        "big": archive(rng, 700, blanks=1),
        "only_separator": b"From x\n",
        "separator_without_lf": b"From x",
        "bare_from_space": b"From ",
        "from_without_space": b"From",
        "separators_only": b"From a\nFrom b\n\nFrom c\n\n\nFrom d",
        "empty_line_then_separator_at_end": b"From a\nbody\n\nFrom ",
        "partial_separator_at_end": b"From a\nbody\n\nFrom",
        "crlf_empty_line_before_separator": b"From a\r\nx\r\n\r\nFrom b\r\ny\r\n\r\n",
        "lf_after_cr_empty_line": b"From a\nx\r\n\nFrom b\ny\n\r\n",
        "text_before_first_separator": b"preamble\n\nFrom a\nx\n\nFrom b\ny\n",
        "empty_line_at_start": b"\nFrom a\nx\n",
        "quoted_from_only": b"From a\n>From b\n>>From c\n \nFrom d\n",
        "ctrl_z_and_nul": b"From a\nx\x1a\n\x00From b\n\nFrom c\x00\nz\x1a",
        "long_separator_line": b"From " + b"s" * 5000 + b"\nbody\n\n" + b"From " + b"t" * 3000,
        "lone_cr_lines": b"From a\rx\r\rFrom b\nFrom c\r\n\r",
    }
    for blanks in range(4):
        cases["blanks_%d" % blanks] = archive(rng, 4, blanks=blanks, trailing=blanks)
        cases["blanks_crlf_%d" % blanks] = archive(rng, 4, "\r\n", blanks=blanks, trailing=blanks)
    return cases


# Random runs of the pieces splitting turns on: line ends, separators whole
# and broken, quoted separators, bare CRs.
PIECES = [b"\n", b"\n", b"\r\n", b"\r", b"From ", b"From ", b"From", b"F", b"rom ", b">From ",
          b"x", b"\n\n", b" ", b"\x1a"]


def random_cases(rng, count):
    cases = {}
    for k in range(count):
        data = b"".join(rng.choice(PIECES) for _ in range(rng.randint(0, 60)))
        if rng.random() < 0.5:
            data = b"From " + data
        cases["random_%d" % k] = data
    return cases


def split(paths, window):
    """{path: (is_mbox, [(separator, start, end)])} from the probe."""
    out = subprocess.run([probe, "--window=%d" % window] + paths, capture_output=True, check=True)
    result = {}
    current = None
    for line in out.stdout.decode().splitlines():
        if line.startswith("file "):
            current = [None, []]
            result[line[5:]] = current
        elif line.startswith("mbox "):
            current[0] = line == "mbox yes"
        else:
            current[1].append(tuple(int(x) for x in line.split()))
    return result


def main():
    rng = random.Random(21)
    cases = named_cases(rng)
    cases.update(random_cases(rng, 400))
    work = tempfile.mkdtemp()
    paths, data, expected = [], {}, {}
    for name, content in cases.items():
        path = os.path.join(work, name + ".mbox")
        with open(path, "wb") as f:
            f.write(content)
        paths.append(path)
        data[path] = content
        expected[path] = reference(path)
    failures = []
    for window in WINDOWS:
        got = split(paths, window)
        for path in paths:
            want = expected[path]
            is_mbox, messages = got.get(path, (None, []))
            where = "%s, window %d" % (os.path.basename(path), window)
            if is_mbox != (len(want) > 0 and want[0][0] == 0):
                failures.append("%s: mbox %s" % (where, is_mbox))
            if [m[:3] for m in want] != messages:
                failures.append("%s: want %s, got %s" % (where, [m[:3] for m in want][:6],
                                                         messages[:6]))
                continue
            for (_, start, end), (_, _, _, body) in zip(messages, want):
                if data[path][start:end] != body:
                    failures.append("%s: bytes %d..%d differ from get_bytes()" % (where, start, end))
    for failure in failures[:20]:
        print("FAILED:", failure)
    total = sum(len(m) for m in expected.values())
    print("%d files, %d messages, %d window sizes: %s" %
          (len(paths), total, len(WINDOWS), "%d failures" % len(failures) if failures else "agree"))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
