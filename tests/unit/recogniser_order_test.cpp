// The first recogniser that accepts a line wins; order and case rules decide.
#include <gtest/gtest.h>

#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

using test::record_of;

TEST(RecogniserOrder, EarlierRecogniserWins) {
  HeaderRecord subject = record_of("Subject: see Attachment: x\n");
  EXPECT_EQ(subject.subject, "(#1:) Subject: see Attachment: x  ");
  EXPECT_EQ(subject.attachment_info, "");
  HeaderRecord flags = record_of("Mapi-Message-Flags: (read) Attachment: x\n");
  EXPECT_EQ(flags.message_read, "(#1:)  YES ");
  EXPECT_EQ(flags.attachment_info, "");
  HeaderRecord moz = record_of("X-Mozilla-Status: 0001 Attachment: x\n");
  EXPECT_EQ(moz.message_read, "(#1:)  YES ");
  EXPECT_EQ(moz.attachment_info, "");
  // The attachment keyword comes before the forwarded message.
  EXPECT_EQ(record_of("X-Attachments: Content-Type: message/rfc822\nnext line\n").attachment_info,
            "(#1:) Attachment info: X-Attachments: Content-Type: message/rfc822  ");
  // The forwarded message comes before the content-type name.
  EXPECT_EQ(record_of("Mapi-Hasattach: 0\nContent-Type: message/rfc822; name=x\n\tname=\"y.eml\"\n")
                .attachment_info,
            "(#1:) Attachment info: name=\"y.eml  ");
  // A Content-Type line with a quoted filename is an attachment keyword line.
  EXPECT_EQ(record_of("Mapi-Hasattach: 0\nContent-Type: a/b; filename=\"f.txt\"; name=g\n")
                .attachment_info,
            "(#1:) Attachment info: filename=\"f.txt\"  ");
}

TEST(RecogniserOrder, CaseRules) {
  // Any case: From, To, Cc, Bcc, Subject and the relay lines.
  HeaderRecord any = record_of(
      "FROM: someone@x.org\nto: a\ncC: b\nbCC: c\nsubJECT: s\n"
      "received: FROM h [1.1.1.1]\n\tx\nx-originating-ip: [2.2.2.2]\n\tx\n");
  EXPECT_EQ(any.from, "(#1:) FROM: someone@x.org  ");
  EXPECT_EQ(any.to, "(#1:) to: a  ");
  EXPECT_EQ(any.cc, "(#1:) cC: b  ");
  EXPECT_EQ(any.bcc, "(#1:) bCC: c  ");
  EXPECT_EQ(any.subject, "(#1:) subJECT: s  ");
  EXPECT_EQ(any.recent_ip, "(#1:) [1.1.1.1]  (#2:) [2.2.2.2]  ");
  // Exact case: Date, Sent, X-Mozilla-Status and Content-Type for names.
  HeaderRecord exact = record_of(
      "date: Mon, 5 Aug 2013\nDATE: Mon, 5 Aug 2013\nSENT: x\nx-mozilla-status: 1\n"
      "Mapi-Hasattach: 0\ncontent-type: a; name=b\n");
  EXPECT_EQ(exact.date, "");
  EXPECT_EQ(exact.forward_dates, "");
  EXPECT_EQ(exact.message_read, " Unknown  ");
  EXPECT_EQ(exact.attachment_info, "");
  // "Received: by" needs its trailing space; "Received: byx" is nothing.
  EXPECT_EQ(record_of("Received: byx [1]\n").recent_ip, "");
  // A header keyword must start the cleaned line.
  EXPECT_EQ(record_of(" From: someone@x.org\n").from, "");
  EXPECT_EQ(record_of("Reply-To: a@b\n").to, "");
}

}  // namespace
}  // namespace mailsift
