// Dates, subject, read status, attachments and relays.
#include <gtest/gtest.h>

#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

using test::record_of;

TEST(DateSentRules, EntriesAndFirstParse) {
  HeaderRecord r = record_of("Date: Mon, 5 Aug 2013 10:22:33 -0400\nDate: 1 Jan 2001\n");
  EXPECT_EQ(r.date, "(#1:) Date: Mon, 5 Aug 2013 10:22:33 -0400  (#2:) Date: 1 Jan 2001  ");
  EXPECT_EQ(r.parsed.year, 2013);
  EXPECT_EQ(r.parsed.month, 8);
  EXPECT_EQ(r.parsed.day, 5);
  EXPECT_EQ(r.parsed.time_text, "10:22:33 -0400");
  EXPECT_TRUE(r.date_done);
  // Exact case only.
  EXPECT_EQ(record_of("date: Mon, 5 Aug 2013 10:22:33 -0400\n").date, "");
  EXPECT_EQ(record_of("DATE: Mon, 5 Aug 2013 10:22:33 -0400\n").date, "");
  EXPECT_EQ(record_of("sent: Monday\n").forward_dates, "");
  // The 6th character becomes a space when it is the delimiter or a TAB.
  EXPECT_EQ(record_of("Date:\t5 Aug 2013\n").date, "(#1:) Date: 5 Aug 2013  ");
  EXPECT_EQ(record_of("Date:;5 Aug 2013\n", ';').date, "(#1:) Date: 5 Aug 2013  ");
  // A Sent line before any Date: both fields, and it gives the Date-Time.
  HeaderRecord s = record_of(
      "Sent: Monday, March 04, 2013 04:22 PM\nDate: Tue, 6 Aug 2013 01:00:00 +0000\n"
      "Sent:\tWednesday, December 03, 2008 11:15 AM\n");
  EXPECT_EQ(s.forward_dates,
            "(#1:) Sent: Monday, March 04, 2013 04:22 PM  "
            "(#2:) Sent:\tWednesday, December 03, 2008 11:15 AM  ");
  EXPECT_EQ(s.date,
            "(#1:) Sent: Monday, March 04, 2013 04:22 PM  "
            "(#2:) Date: Tue, 6 Aug 2013 01:00:00 +0000  ");
  EXPECT_EQ(s.parsed.year, 2013);
  EXPECT_EQ(s.parsed.month, 3);
  EXPECT_EQ(s.parsed.time_text, "04:22 PM");
  // After a Date line a Sent line goes to the forward dates only.
  HeaderRecord t = record_of("Date: 1 Jan 2001\nSent: 2 Feb 2002\n");
  EXPECT_EQ(t.date, "(#1:) Date: 1 Jan 2001  ");
  EXPECT_EQ(t.forward_dates, "(#1:) Sent: 2 Feb 2002  ");
}

TEST(SubjectRule, EntriesAndHeaderEnd) {
  HeaderRecord r = record_of("SUBJECT: one\n\tfolded part\nsubject: two\n");
  EXPECT_EQ(r.subject, "(#1:) SUBJECT: one  (#2:) subject: two  ");
  EXPECT_FALSE(r.in_header);
  EXPECT_TRUE(record_of("From: someone@x\n").in_header);
  EXPECT_EQ(record_of("**Subject: hi there\n").subject, "(#1:) Subject: hi there  ");
  EXPECT_EQ(record_of("Subject: Hello").subject, "(#1:) Subject: Hello  ");
}

TEST(ReadStatusRules, MapiFlagsAndMozillaStatus) {
  EXPECT_EQ(record_of("").message_read, " Unknown  ");
  EXPECT_EQ(record_of("Mapi-Message-Flags: 1 (Read)\n").message_read, "(#1:)  YES ");
  EXPECT_EQ(record_of("X-Mapi-Message-Flags: unsent, read x\n").message_read, "(#1:)  YES ");
  // Neither "(read" nor " read": the field empties and the counter stays.
  EXPECT_EQ(record_of("Mapi-Message-Flags: 0\n").message_read, "");
  EXPECT_EQ(record_of("Mapi-Message-Flags: 0\nMapi-Message-Flags: (read)\n").message_read,
            "(#1:)  YES ");
  // " read" ending the line is not found.
  EXPECT_EQ(record_of("Mapi-Message-Flags: x read\n").message_read, "");
  EXPECT_EQ(record_of("X-Mozilla-Status: 0001\n").message_read, "(#1:)  YES ");
  EXPECT_EQ(record_of("X-Mozilla-Status: 8000\n").message_read, "(#1:)  NO/Unknown ");
  EXPECT_EQ(record_of("X-Mozilla-Status: 0011\n").message_read, "(#1:)  YES ");
  EXPECT_EQ(record_of("X-Mozilla-Status: 0010\n").message_read, "(#1:)  NO/Unknown ");
  EXPECT_EQ(record_of("X-Mozilla-Status: 0001\nX-Mozilla-Status: 0000\n").message_read,
            "(#2:)  NO/Unknown ");
  EXPECT_EQ(record_of("X-Mozilla-Status: 99999999999\n").message_read, "(#1:)  YES ");
  EXPECT_EQ(record_of("X-Mozilla-Status: -3\n").message_read, "(#1:)  YES ");
  EXPECT_EQ(record_of("X-Mozilla-Status: zz\n").message_read, "(#1:)  NO/Unknown ");
  EXPECT_EQ(record_of("x-mozilla-status: 0001\n").message_read, " Unknown  ");
  // Read flags and Mozilla status share one counter.
  EXPECT_EQ(record_of("Mapi-Message-Flags: (read)\nX-Mozilla-Status: 0\n").message_read,
            "(#2:)  NO/Unknown ");
}

TEST(AttachmentRules, KeywordsForwardedAndContentTypeNames) {
  EXPECT_EQ(record_of("Content-Disposition: attachment; filename=\"report.pdf\"\n").attachment_info,
            "(#1:) Attachment info: filename=\"report.pdf\"  ");
  EXPECT_EQ(record_of("X-Attachments: C:\\docs\\a.doc\n").attachment_info,
            "(#1:) Attachment info: X-Attachments: C:\\docs\\a.doc  ");
  EXPECT_EQ(record_of("See Attachment: yes\n").attachment_info,
            "(#1:) Attachment info: See Attachment: yes  ");
  EXPECT_EQ(record_of("\tfilename=\"a b.txt\"; size=3\n").attachment_info,
            "(#1:) Attachment info: filename=\"a b.txt\"  ");
  EXPECT_EQ(record_of("x;\tname=Attachment1 y\n").attachment_info, "(#1:) Attachment info: x  ");
  // The order decides: a To line first.
  HeaderRecord to = record_of("To: Attachment: x\n");
  EXPECT_EQ(to.to, "(#1:) To: Attachment: x  ");
  EXPECT_EQ(to.attachment_info, "");
  // Forwarded message: the next line is consumed and loses two characters.
  HeaderRecord fwd =
      record_of("Content-Type: message/rfc822\n\tname=\"Fwd: offer.eml\"\nFrom: x\n");
  EXPECT_EQ(fwd.attachment_info, "(#1:) Attachment info: name=\"Fwd: offer.eml  ");
  EXPECT_EQ(fwd.from, "(#1:) From:   ");  // short: joined, nothing follows
  EXPECT_EQ(record_of("Content-Type: message/rfc822\nX\n").attachment_info,
            "(#1:) Attachment info:   ");
  EXPECT_EQ(record_of("Content-Type: message/rfc822\n").attachment_info, "");
  // The keyword and forwarded rules share a counter.
  EXPECT_EQ(record_of("X-Attachments: a;b\nContent-Type: message/x\n a; b\n").attachment_info,
            "(#1:) Attachment info: X-Attachments: a  (#2:) Attachment info:  a  ");
}

TEST(AttachmentRules, ContentTypeNameNeedsMapiHasattach) {
  EXPECT_EQ(record_of("Content-Type: application/pdf; name=\"a.pdf\"\n").attachment_info, "");
  const std::string on = "Mapi-Hasattach: False\n";
  EXPECT_EQ(record_of(on + "Content-Type: application/pdf; name=\"a.pdf\"\n").attachment_info,
            "(#1:) Attachment info: name=\"a.pdf\"  ");
  EXPECT_EQ(record_of(on + "Content-Type: application/pdf;\n\tname=\"a.pdf\"\n").attachment_info,
            "(#1:) Attachment info:  name=\"a.pdf\"  ");
  // "charset" after the name ends the text; before the name it does not.
  EXPECT_EQ(record_of(on + "Content-Type: text/plain; name=a.txt; charset=x\n").attachment_info,
            "(#1:) Attachment info: name=a.txt;   ");
  EXPECT_EQ(record_of(on + "Content-Type: text/plain; charset=x; name=a.txt\n").attachment_info,
            "(#1:) Attachment info: name=a.txt  ");
  EXPECT_EQ(record_of(on + "Content-Type: text/plain;\n name=b.txt charset=y\n").attachment_info,
            "(#1:) Attachment info:  name=b.txt   ");
  // Exactly "Content-Type:" is not taken; lower case is not taken.
  EXPECT_EQ(record_of(on + "Content-Type:\n name=q\n").attachment_info, "");
  EXPECT_EQ(record_of(on + "content-type: x; name=q\n").attachment_info, "");
  // A read-ahead line without a name goes to the relay recognisers only.
  HeaderRecord relay = record_of(on + "Content-Type: text/plain;\nReceived: from a [10.1.1.1]\n");
  EXPECT_EQ(relay.recent_ip, "(#1:) [10.1.1.1]  ");
  HeaderRecord dropped = record_of(on + "Content-Type: text/plain;\nSubject: lost\n");
  EXPECT_EQ(dropped.subject, "");
  EXPECT_EQ(dropped.attachment_info, "");
  EXPECT_EQ(record_of(on + "Content-Type: text/plain;").attachment_info, "");
}

TEST(RelayRules, BracketedAddressesAndReceivingHosts) {
  EXPECT_EQ(record_of("Received: from relay1 (relay1 [192.0.2.7]) by relay2\n").recent_ip,
            "(#1:) [192.0.2.7]  ");
  EXPECT_EQ(record_of("Received: from relay1 (relay1 [192.0.2.7]) by relay2\n"
                      "\tby relay3 [198.51.100.2] with SMTP\n")
                .recent_ip,
            "(#1:) [192.0.2.7][198.51.100.2]  ");
  // A consumed Received line makes no entry of its own.
  EXPECT_EQ(
      record_of("X-Originating-IP: [203.0.113.9]\nReceived: from relay1 ([192.0.2.1])\n").recent_ip,
      "(#1:) [203.0.113.9][192.0.2.1]  ");
  // No "[": no entry, and the bracketed continuation is ignored.
  EXPECT_EQ(record_of("Received: from relay1 by relay2\n\t[10.0.0.1] with SMTP\n").recent_ip, "");
  // No "]": the line stays whole; the next line's text without its line end.
  EXPECT_EQ(record_of("Received: from a [10.0.0.1 x\n  [10.0.0.2 y\n").recent_ip,
            "(#1:) [10.0.0.1 x[10.0.0.2 y  ");
  // "[" as the last character of the next line is not found (end-of-line rule).
  EXPECT_EQ(record_of("Received: from a [1.1.1.1]\nb[").recent_ip, "(#1:) [1.1.1.1]  ");
  EXPECT_EQ(record_of("Received: from a [1.1.1.1]").recent_ip, "(#1:) [1.1.1.1]  ");
  EXPECT_EQ(record_of("RECEIVED: FROM a [1.1.1.1]\n").recent_ip, "(#1:) [1.1.1.1]  ");
  EXPECT_EQ(record_of("x-originating-ip: [1.1.1.2]\n").recent_ip, "(#1:) [1.1.1.2]  ");
  // Receiving host: the word after "Received: by ".
  EXPECT_EQ(record_of("Received: from a [1.1.1.1]\n\tid 7\n"
                      "Received: by mxhost with SMTP id x [10.0.0.1]\n")
                .recent_ip,
            "(#1:) [1.1.1.1]  (#2:) mxhost  ");
  // A next line holding "[" is consumed, even a "Received: by" line.
  EXPECT_EQ(
      record_of("Received: from a [1.1.1.1]\nReceived: by mxhost id x [10.0.0.1]\n").recent_ip,
      "(#1:) [1.1.1.1][10.0.0.1]  ");
  EXPECT_EQ(record_of("Received: by mxhost with SMTP id x\n").recent_ip, "");
  EXPECT_EQ(record_of("Received: by  [x\n").recent_ip, "(#1:)  [x  ");
  EXPECT_EQ(record_of("received: BY h[1]\n").recent_ip, "(#1:) h[1]  ");
}

// The rules see their line where it lies in the reader's buffer and change
// only their field's copy: the date is read from that copy, and a line read
// ahead is used up before the next read refills the buffer.
TEST(CaptureRules, ChangesGoToTheFieldAndReadAheadsOutliveRefills) {
  EXPECT_EQ(record_of("Date:\t5 Aug 2013\n").parsed.day, 5);
  EXPECT_EQ(record_of("Date:;7 Aug 2013\n", ';').parsed.day, 7);
  EXPECT_EQ(record_of("Date:|7 Aug 2013\n", ';').parsed.day, 0);
  const struct {
    const char* message;
    std::string HeaderRecord::*field;
    const char* expected;
  } cases[] = {
      {"To: a,\n\tbb cc,\n\tdd ee\n> ff gg\nX: y\n", &HeaderRecord::to,
       "(#1:) To: a bb cc dd ee> ff gg  "},
      {"From: =\nJane\tDoe <jane@x.org>\n", &HeaderRecord::from,
       "(#1:) From: Jane Doe <jane@x.org>  "},
      {"Received: from relay [1.2.3.4]\n\tby mx [5.6.7.8] id 1\n", &HeaderRecord::recent_ip,
       "(#1:) [1.2.3.4][5.6.7.8]  "},
      {"Content-Type: message/rfc822\n\tname=\"f\tg.eml\"\n", &HeaderRecord::attachment_info,
       "(#1:) Attachment info: name=\"f g.eml  "},
  };
  for (const auto& c : cases) {
    for (const std::size_t buffer : {16u, 17u, 23u, 40u, 1u << 17}) {
      ScanWorkspace ws(buffer);
      StringSource source(c.message);
      ws.reader.reset(&source);
      scan_lines(ws, '|', nullptr);
      EXPECT_EQ(ws.record.*c.field, c.expected) << c.message << " buffer " << buffer;
    }
  }
}

}  // namespace
}  // namespace mailsift
