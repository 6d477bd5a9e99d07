#!/usr/bin/env python3
"""The decoded header fields against Python's email package (policy.default).

Usage: decoded_fields_test.py MAILSIFT

Writes a set of messages into a scratch directory: every character set the
program converts, in B and Q encoded words and under common aliases, adjacent
words, words split across folds, malformed words, unknown charsets, raw 8-bit
bytes, dates in current and obsolete forms, Maildir file names, and the
samples. Runs `MAILSIFT DIRECTORY --format=jsonl`, and compares
subject_text, from_text, to_text, cc_text, message_id and date_utc with what
Python makes of the same bytes, after collapsing runs of white space;
modified_utc and maildir_flags are checked against the files themselves.

Address fields (from, to, cc) also agree when Python, parsing our text again,
gives what it gave for the message: Python re-renders addresses (it drops
comments and quotes a display name only where needed), while our field is the
header's own text, decoded.

Every other difference is listed in KEPT with its reason and our value, which
must match; an entry that no longer differs fails the test too, so the list
stays true. Prints the agreement per field.
"""
import base64
import datetime
import email.header
import json
import os
import subprocess
import sys
import tempfile
from email import policy
from email.parser import BytesParser

FIELDS = ["subject_text", "from_text", "to_text", "cc_text", "message_id", "date_utc"]
HEADER_OF = {"subject_text": "subject", "from_text": "from", "to_text": "to",
             "cc_text": "cc", "message_id": "message-id", "date_utc": "date"}
ADDRESS_FIELDS = {"from_text", "to_text", "cc_text"}
SAMPLES = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "samples")

# (MIME label, Python codec, text) for every character set converted.
CHARSETS = [
    ("utf-8", "utf-8", "Prüfung der Rechnung – dringend ✓ 张伟"),
    ("us-ascii", "ascii", "Plain report"),
    ("iso-8859-1", "latin-1", "Café Müller ½"),
    ("iso-8859-2", "iso8859_2", "Zażółć gęślą jaźń"),
    ("iso-8859-3", "iso8859_3", "Ħal Għargħur Ġgantija"),
    ("iso-8859-4", "iso8859_4", "Ķēniņš Ūdens"),
    ("iso-8859-5", "iso8859_5", "Привет мир"),
    ("iso-8859-6", "iso8859_6", "مرحبا بالعالم"),
    ("iso-8859-7", "iso8859_7", "Καλημέρα κόσμε"),
    ("iso-8859-8", "iso8859_8", "שלום עולם"),
    ("iso-8859-9", "iso8859_9", "Günaydın İstanbul şğ"),
    ("iso-8859-10", "iso8859_10", "Þórður ŋ ŧ ĸ"),
    ("iso-8859-11", "iso8859_11", "สวัสดีครับ"),
    ("iso-8859-13", "iso8859_13", "Ąžuolas Łódź ų"),
    ("iso-8859-14", "iso8859_14", "Ŵŷ Ḃḟ ẁ"),
    ("iso-8859-15", "iso8859_15", "Œuvre € žŸ"),
    ("iso-8859-16", "iso8859_16", "Științe Ășț €"),
    ("windows-1250", "cp1250", "Zażółć „gęślą”"),
    ("windows-1251", "cp1251", "Привет «мир» —"),
    ("windows-1252", "cp1252", "“Smart” quotes – €"),
    ("windows-1253", "cp1253", "Καλημέρα ‰"),
    ("windows-1254", "cp1254", "Günaydın ş €"),
    ("windows-1255", "cp1255", "שלום ₪"),
    ("windows-1256", "cp1256", "مرحبا پ"),
    ("windows-1257", "cp1257", "Ąžuolas „x”"),
    ("windows-1258", "cp1258", "Đông Ơ ư ₫"),
    ("koi8-r", "koi8_r", "Привет мир"),
    ("koi8-u", "koi8_u", "Привіт світ ї є ґ"),
    ("gb2312", "gb2312", "张伟 你好"),
    ("gbk", "gbk", "張偉 你好 镕"),
    ("gb18030", "gb18030", "张伟 𠀀 €"),
    ("big5", "big5", "張偉 你好"),
    ("shift_jis", "shift_jis", "こんにちは 日本語 テスト"),
    ("euc-jp", "euc_jp", "こんにちは 日本語"),
    ("iso-2022-jp", "iso2022_jp", "こんにちは 日本語"),
    ("euc-kr", "euc_kr", "안녕하세요 세계"),
    # Common aliases and spellings.
    ("latin1", "latin-1", "Déjà vu"),
    ("cp1252", "cp1252", "Naïve “quote”"),
    ("x-sjis", "shift_jis", "テスト"),
    ("ks_c_5601-1987", "euc_kr", "안녕하세요"),
    ("UTF8", "utf-8", "Grüße"),
    ("utf-8*de", "utf-8", "Grüße mit Sprache"),
    ("ISO_8859-5", "iso8859_5", "Москва"),
]

DATES = {
    "rfc": "Mon, 5 Aug 2013 10:22:33 -0400",
    "no-day-name": "5 Aug 2013 10:22:33 +0200",
    "no-seconds": "Fri, 31 May 2013 23:59 +0200",
    "comment": "Tue, 6 Aug 2013 09:05:11 +0000 (UTC)",
    "comments-inside": "Tue, 6 Aug 2013 (x) 09:05:11 (y) +0000",
    "comment-before-zone": "Mon, 5 Aug 2013 10:22:33 (c) -0400 (EDT)",
    "spaces": "  Mon,   5   Aug   2013   10:22:33   -0400  ",
    "ut": "Mon, 5 Aug 2013 10:22:33 UT",
    "gmt": "Mon, 5 Aug 2013 10:22:33 GMT",
    "est": "Mon, 5 Aug 2013 10:22:33 EST",
    "edt": "Mon, 5 Aug 2013 10:22:33 EDT",
    "cst": "Mon, 5 Aug 2013 10:22:33 CST",
    "mdt": "Mon, 5 Aug 2013 10:22:33 MDT",
    "pst": "Mon, 5 Aug 2013 10:22:33 pst",
    "military-z": "Mon, 5 Aug 2013 10:22:33 Z",
    "military-a": "Mon, 5 Aug 2013 10:22:33 A",
    "unknown-zone": "Mon, 5 Aug 2013 10:22:33 CEST",
    "no-zone": "Mon, 5 Aug 2013 10:22:33",
    "minus-zero": "Mon, 5 Aug 2013 10:22:33 -0000",
    "half-hour": "Mon, 5 Aug 2013 10:22:33 +0530",
    "colon-zone": "Mon, 5 Aug 2013 10:22:33 +05:30",
    "day-rollover": "Thu, 31 Dec 2099 23:30:00 -0100",
    "two-digit-year": "Thu, 5 Aug 99 10:22:33 +0000",
    "two-digit-2000s": "Mon, 5 Aug 13 10:22:33 +0000",
    "two-digit-fifties": "Fri, 5 Aug 55 10:22:33 +0000",
    "three-digit-year": "Mon, 5 Aug 113 10:22:33 +0000",
    "full-month": "5 August 2013 10:22 EST",
    "lower-case": "mon, 5 aug 2013 10:22:33 +0000",
    "dashed": "Mon, 05-Aug-2013 10:22:33 +0000",
    "leap-day": "Thu, 29 Feb 2024 12:00:00 +0000",
    "leap-second": "Sat, 31 Dec 2016 23:59:60 +0000",
    "invalid-feb-30": "Sat, 30 Feb 2013 10:00:00 +0000",
    "invalid-hour": "Mon, 5 Aug 2013 25:00:00 +0000",
    "invalid-words": "sometime last week",
    "invalid-empty": "",
    "invalid-no-time": "Mon, 5 Aug 2013",
    "trailing-text": "Mon, 5 Aug 2013 10:22:33 -0400 EDT",
}

# Differences kept on purpose: (case, field) -> (reason, our value).
RFC_MALFORMED = "RFC 2047: a malformed encoded word stays as written (Python decodes it leniently)"
RFC_CHARSET = ("RFC 2047: a word in a charset that cannot be converted stays as written "
               "(Python guesses UTF-8)")
X_SJIS = "x-sjis is a common alias of Shift_JIS that Python does not know"
KEPT = {
    ("charset-38-x-sjis-b", "subject_text"): (X_SJIS, "Re: テスト"),
    ("charset-38-x-sjis-b", "from_text"): (X_SJIS, "テスト <from@example.com>"),
    ("charset-38-x-sjis-b", "to_text"): (X_SJIS, "テスト <to@example.com>, plain@example.com"),
    ("charset-38-x-sjis-b", "cc_text"): (X_SJIS, "テスト <cc@example.com>"),
    ("charset-38-x-sjis-q", "subject_text"): (X_SJIS, "テスト"),
    ("malformed-q", "subject_text"): (RFC_MALFORMED, "=?utf-8?q?bad=ZZ?= end"),
    ("malformed-empty-text", "subject_text"): (RFC_MALFORMED, "=?utf-8?q??= end"),
    ("malformed-space", "subject_text"): (RFC_MALFORMED, "=?utf-8?q?a b?= end"),
    ("malformed-b-chars", "subject_text"): (RFC_MALFORMED, "=?utf-8?b?5byg*5Lyf?= end"),
    ("unknown-charset", "subject_text"): (RFC_CHARSET, "=?x-unknown?q?abc?= end"),
    ("no-such-latin", "subject_text"): (RFC_CHARSET, "=?iso-8859-12?q?abc?= end"),
    ("invalid-in-charset", "subject_text"): (
        "a word whose bytes are not valid in its charset stays as written (Python puts "
        "U+FFFD in their place)", "=?us-ascii?q?caf=E9?= =?utf-8?q?caf=E9?="),
    ("raw-cp1252", "subject_text"): (
        "unlabelled 8-bit bytes that are not UTF-8 are read as Windows-1252 (Python gives "
        "U+FFFD)", "Café “quoted” – done"),
    ("raw-mixed", "subject_text"): (
        "each byte that is not part of UTF-8 is read as Windows-1252 (Python gives U+FFFD)",
        "café naïve"),
    ("raw-undefined-1252", "subject_text"): (
        "the five bytes Windows-1252 leaves undefined become the C1 controls of the same "
        "value, as the WHATWG table has it (Python gives U+FFFD)", "a\u0081b\u008dc"),
    ("raw-cp1252", "from_text"): (
        "unlabelled 8-bit bytes read as Windows-1252 (Python gives U+FFFD)",
        "Jörg Müller <j@example.com>"),
    ("space-before-colon", "subject_text"): (
        "obsolete syntax allows white space before the colon; Python ends the header block "
        "there instead", "spaced"),
    ("space-before-colon", "from_text"): (
        "Python took the line before as the start of the body", "a@example.com"),
    ("address-specials", "from_text"): (
        "the field is the header's text decoded; a decoded display name holding a comma is "
        "not quoted again", "Lee, Kim <k@example.com>"),
    ("date-comment-before-zone", "date_utc"): (
        "RFC 5322: a comment counts as white space, so the zone after it holds (Python drops "
        "the zone)", "2013-08-05T14:22:33Z"),
    ("date-colon-zone", "date_utc"): (
        "a zone written +hh:mm is read as +hhmm (Python takes it as unknown)",
        "2013-08-05T04:52:33Z"),
    ("date-two-digit-fifties", "date_utc"): (
        "RFC 5322: a two-digit year of 50 or more is in the 1900s (Python: up to 68 is in the "
        "2000s)", "1955-08-05T10:22:33Z"),
    ("date-three-digit-year", "date_utc"): (
        "RFC 5322: a three-digit year gets 1900 added (Python takes it as written)",
        "2013-08-05T10:22:33Z"),
    ("date-comments-inside", "date_utc"): (
        "RFC 5322: comments may stand between the parts of a date (Python rejects it)",
        "2013-08-06T09:05:11Z"),
    ("date-leap-second", "date_utc"): (
        "RFC 5322 allows a second of 60; it lands on the next minute (Python rejects it)",
        "2017-01-01T00:00:00Z"),
}


def q_encode(data):
    out = []
    for b in data:
        c = chr(b)
        if c.isalnum() and b < 0x80:
            out.append(c)
        elif c == " ":
            out.append("_")
        else:
            out.append("=%02X" % b)
    return "".join(out)


def word(label, encoding, data):
    if encoding == "B":
        text = base64.b64encode(data).decode("ascii")
    else:
        text = q_encode(data)
    return "=?%s?%s?%s?=" % (label, encoding, text)


def message(headers, body=b"Body text.\n"):
    lines = []
    for h in headers:
        lines.append(h if isinstance(h, bytes) else h.encode("utf-8"))
    return b"\n".join(lines) + b"\n\n" + body


def build_cases():
    cases = {}
    for i, (label, codec, text) in enumerate(CHARSETS):
        data = text.encode(codec)
        name = text.split(" ")[0].encode(codec)
        cases["charset-%02d-%s-b" % (i, label)] = message([
            "Subject: Re: " + word(label, "B", data),
            "From: " + word(label, "Q", name) + " <from@example.com>",
            "To: " + word(label, "B", name) + " <to@example.com>, plain@example.com",
            "Cc: " + word(label, "Q", name) + " <cc@example.com>",
            "Message-ID: <%d.charset@example.com>" % i,
            "Date: Mon, 5 Aug 2013 10:22:33 -0400",
        ])
        cases["charset-%02d-%s-q" % (i, label)] = message(["Subject: " + word(label, "Q", data)])
    # Long texts folded by Python's own encoder: many words across lines.
    for label in ["utf-8", "iso-2022-jp", "shift_jis", "gb2312", "euc-kr", "iso-8859-1"]:
        text = {"utf-8": "Prüfung der Rechnung – dringend, bitte heute noch prüfen ✓ 张伟 " * 2,
                "iso-2022-jp": "こんにちは日本語のテストです。長い件名を折り返します。" * 2,
                "shift_jis": "こんにちは日本語のテストです。長い件名を折り返します。" * 2,
                "gb2312": "张伟你好，这是一个很长的主题，需要折叠成多行。" * 2,
                "euc-kr": "안녕하세요 세계, 이것은 여러 줄로 접히는 긴 제목입니다." * 2,
                "iso-8859-1": "Très long sujet avec des accents éèàù, plié sur plusieurs lignes"}[label]
        folded = email.header.Header(text, label, header_name="Subject").encode(maxlinelen=60)
        cases["folded-words-" + label] = message(["Subject: " + folded])
    cases["adjacent-words"] = message(["Subject: =?utf-8?q?Hello?= =?utf-8?q?_World?="])
    cases["adjacent-two-charsets"] = message(
        ["Subject: =?iso-8859-1?q?Caf=E9?=  \t=?utf-8?b?IOKAkyDmnI0=?="])
    cases["words-and-text"] = message(["Subject: Re: =?utf-8?q?a?= b =?utf-8?q?c?= d"])
    cases["word-inside-text"] = message(["Subject: pre=?utf-8?q?mid?=post"])
    cases["word-in-quotes"] = message(['From: "=?utf-8?q?J=C3=B6rg?=" <j@example.com>'])
    cases["words-folded-subject"] = message(
        ["Subject: =?utf-8?b?UHLDvGZ1bmc=?=\n =?utf-8?b?IGRlciBSZWNobnVuZw==?=\n\tend"])
    zhang_wei = "张伟".encode("utf-8")
    cases["split-character"] = message(["Subject: " + word("utf-8", "B", zhang_wei[:4]) + " "
                                         + word("utf-8", "B", zhang_wei[4:])])
    cases["lower-case-encoding"] = message(["Subject: =?UTF-8?b?w6k=?= =?utf-8?Q?=C3=A9?="])
    cases["missing-padding"] = message(["Subject: =?utf-8?b?w6k?="])
    cases["malformed-q"] = message(["Subject: =?utf-8?q?bad=ZZ?= end"])
    cases["malformed-empty-text"] = message(["Subject: =?utf-8?q??= end"])
    cases["malformed-b-chars"] = message(["Subject: =?utf-8?b?5byg*5Lyf?= end"])
    cases["malformed-encoding"] = message(["Subject: =?utf-8?x?abc?= end"])
    cases["malformed-unterminated"] = message(["Subject: =?utf-8?q?abc end"])
    cases["malformed-space"] = message(["Subject: =?utf-8?q?a b?= end"])
    cases["unknown-charset"] = message(["Subject: =?x-unknown?q?abc?= end"])
    cases["no-such-latin"] = message(["Subject: =?iso-8859-12?q?abc?= end"])
    cases["invalid-in-charset"] = message(["Subject: =?us-ascii?q?caf=E9?= =?utf-8?q?caf=E9?="])
    cases["raw-utf8"] = message([b"Subject: Caf\xc3\xa9 \xe2\x80\x93 \xe5\xbc\xa0\xe4\xbc\x9f"])
    cases["raw-cp1252"] = message([b"Subject: Caf\xe9 \x93quoted\x94 \x96 done",
                                   b"From: J\xf6rg M\xfcller <j@example.com>"])
    cases["raw-mixed"] = message([b"Subject: caf\xc3\xa9 na\xefve"])
    cases["raw-undefined-1252"] = message([b"Subject: a\x81b\x8dc"])
    cases["control-bytes"] = message([b"Subject: tab\there nul\x00byte"])
    cases["name-case"] = message(["SUBJECT: upper", "fRoM: mixed@example.com",
                                  "message-id: <lower@example.com>", "TO: x@example.com",
                                  "cC: y@example.com", "DATE: Mon, 5 Aug 2013 10:22:33 +0000"])
    cases["space-before-colon"] = message(["X-Before: 1", "Subject : spaced",
                                           "From: a@example.com"])
    cases["first-occurrence"] = message(["Subject: first", "Subject: second",
                                         "From: one@example.com", "From: two@example.com"])
    cases["folded-first-only"] = message(["Subject: first\n continued", "Subject: second\n more"])
    cases["after-block"] = message(["From: own@example.com"],
                                   b"Subject: not a header\nTo: nobody@example.com\n")
    cases["empty-values"] = message(["Subject:", "To:   ", "Cc: \n \t"])
    cases["crlf"] = message([b"Subject: =?utf-8?q?crlf_=C3=A9?=\r\n continued\r",
                             b"From: a@example.com\r"]).replace(b"\n\n", b"\r\n\r\n")
    cases["message-id-folded"] = message(["Message-ID:\n <folded.id@example.com>"])
    cases["message-id-comment"] = message(["Message-Id: <c@example.com> (note)"])
    cases["addresses"] = message([
        "From: k@example.com (Kim Lee)",
        'To: "Smith, Bob" <bob@example.com>, =?utf-8?q?Zo=C3=AB?= <zoe@example.com>,\n'
        "\t=?iso-8859-1?q?Andr=E9?= <andre@example.com>",
        "Cc: =?utf-8?b?5byg5Lyf?= <zhang@example.cn>, plain@example.com"])
    cases["address-specials"] = message(["From: =?utf-8?q?Lee=2C_Kim?= <k@example.com>"])
    cases["mbox-separator"] = message(["From sender@example.com Mon Aug  5 10:22:33 2013",
                                       "From: real@example.com", "Subject: after separator"])
    cases["long-subject"] = message(["Subject: " + "x" * 40000 + " tail"])
    for name, value in DATES.items():
        cases["date-" + name] = message(["Date: " + value])
    cases["date-folded"] = message(["Date: Mon, 5 Aug 2013\n 10:22:33 -0400"])
    return cases


def reference(data):
    msg = BytesParser(policy=policy.default).parsebytes(data)
    ref = {}
    for field in FIELDS:
        try:
            header = msg.get(HEADER_OF[field])
        except Exception as e:  # noqa: BLE001 - a parser failure is a reference of its own
            ref[field] = "<python failed: %r>" % e
            continue
        if header is None:
            ref[field] = None
        elif field == "date_utc":
            ref[field] = utc_text(header.datetime)
        else:
            ref[field] = str(header)
    return ref


def utc_text(when):
    if when is None:
        return None
    if when.tzinfo is None:  # -0000 or no zone: the time is UTC
        when = when.replace(tzinfo=datetime.timezone.utc)
    when = when.astimezone(datetime.timezone.utc)
    return "%04d-%02d-%02dT%02d:%02d:%02dZ" % (when.year, when.month, when.day, when.hour,
                                               when.minute, when.second)


def collapse(text):
    return None if text is None else " ".join(text.split())


def same_addresses(field, ours, ref):
    if ours is None or ref is None:
        return False
    try:
        again = policy.default.header_factory(HEADER_OF[field], ours)
    except Exception:  # noqa: BLE001
        return False
    return collapse(str(again)) == collapse(ref)


MAILDIR_NAMES = {"1375712553.M1P2.host:2,RS": "RS", "1375712553.M1P3.host!2,S": "S",
                 "1375712553.M1P4.host;2,": "", "1375712553.M1P5.host:2,FT": "FT",
                 "1375712553.M1P6.host:1,S": "", "odd:2,a:2,DP": "DP"}
MTIMES = {"1375712553.M1P2.host:2,RS": 1375712553, "date-rfc": 0, "addresses": 4102444799}
DEFAULT_MTIME = 1234567890


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    mailsift = os.path.abspath(sys.argv[1])
    work = tempfile.mkdtemp()
    mail = os.path.join(work, "mail")
    os.makedirs(mail)
    cases = build_cases()
    for name in MAILDIR_NAMES:
        cases[name] = message(["Subject: maildir"])
    for root, _, files in os.walk(SAMPLES):
        for f in files:
            with open(os.path.join(root, f), "rb") as src:
                cases["sample-" + f] = src.read()
    for name, data in cases.items():
        path = os.path.join(mail, name)
        with open(path, "wb") as out:
            out.write(data)
        when = MTIMES.get(name, DEFAULT_MTIME)
        os.utime(path, (when, when))

    env = {"TZ": "America/New_York", "LANG": "C", "HOME": work, "PATH": "/usr/bin:/bin"}
    run = subprocess.run([mailsift, mail, "--format=jsonl", "-.ini"], cwd=work, env=env,
                         capture_output=True)
    if run.returncode != 0:
        sys.exit("mailsift ended with %d: %r" % (run.returncode, run.stderr[-500:]))
    records = {}
    for line in run.stdout.decode("utf-8").splitlines():
        record = json.loads(line)
        records[os.path.basename(record["Filename"])] = record

    failures = []
    stats = {field: {"compared": 0, "same": 0, "as addresses": 0, "kept": 0}
             for field in FIELDS}
    seen_kept = set()
    for name in sorted(cases):
        ours = records.get(name)
        if ours is None:
            failures.append("%s: no record" % name)
            continue
        ref = reference(cases[name])
        for field in FIELDS:
            mine, theirs = ours.get(field, "<missing>"), ref[field]
            if mine is None and theirs is None:
                continue
            stats[field]["compared"] += 1
            key = (name, field)
            if key in KEPT:
                seen_kept.add(key)
                reason, expected = KEPT[key]
                if collapse(mine) == collapse(theirs):
                    failures.append("%s %s: listed as kept, but agrees with Python" % key)
                elif collapse(mine) != collapse(expected):
                    failures.append("%s %s: kept difference, expected %r, got %r"
                                    % (name, field, expected, mine))
                else:
                    stats[field]["kept"] += 1
            elif collapse(mine) == collapse(theirs):
                stats[field]["same"] += 1
            elif field in ADDRESS_FIELDS and same_addresses(field, mine, theirs):
                stats[field]["as addresses"] += 1
            else:
                failures.append("%s %s: ours %r, Python %r" % (name, field, mine, theirs))
        expected_flags = MAILDIR_NAMES.get(name, "")
        if ours.get("maildir_flags") != expected_flags:
            failures.append("%s maildir_flags: %r" % (name, ours.get("maildir_flags")))
        when = datetime.datetime.fromtimestamp(MTIMES.get(name, DEFAULT_MTIME),
                                               datetime.timezone.utc)
        if ours.get("modified_utc") != utc_text(when):
            failures.append("%s modified_utc: %r" % (name, ours.get("modified_utc")))
    for key in sorted(set(KEPT) - seen_kept):
        failures.append("%s %s: listed as kept, but not compared" % key)

    print("%d messages; agreement with Python per field:" % len(cases))
    for field in FIELDS:
        s = stats[field]
        print("  %-13s %3d compared: %3d the same, %2d the same addresses, %2d kept differences"
              % (field, s["compared"], s["same"], s["as addresses"], s["kept"]))
    print("Kept differences:")
    for (name, field), (reason, _) in sorted(KEPT.items()):
        print("  %s %s: %s" % (name, field, reason))
    if failures:
        print("FAILED:")
        for f in failures:
            print("  " + f)
        sys.exit(1)
    print("modified_utc and maildir_flags: as expected for every file")


if __name__ == "__main__":
    main()
