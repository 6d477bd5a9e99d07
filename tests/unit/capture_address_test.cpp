// From, To, CC and Bcc capture: labels, the From join and folding.
#include <gtest/gtest.h>

#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

using test::record_of;

TEST(FromRule, EntriesAndBodyLabels) {
  EXPECT_EQ(record_of("From: Jane Doe\n").from, "(#1:) From: Jane Doe  ");
  EXPECT_EQ(record_of("<b>From:</b> Jane Doe<br>\n").from, "(#1:) From: Jane Doe  ");
  EXPECT_EQ(record_of("> From: Jane Doe\n").from, "(#1:) From: Jane Doe  ");
  EXPECT_EQ(record_of(">From: a\n").from, "");
  // A forwarded header in the body after the Subject line.
  EXPECT_EQ(record_of("From: aaaaaaaaaa\nSubject: s\nFrom: bbbbbbbbbb\nFROM: cccccccccc\n").from,
            "(#1:) From: aaaaaaaaaa  (#body:) From: bbbbbbbbbb  (#body:) FROM: cccccccccc  ");
  // No From before the Subject: the body From is numbered.
  EXPECT_EQ(record_of("Subject: s\nFrom: bbbbbbbbbb\n").from, "(#1:) From: bbbbbbbbbb  ");
  // Counters grow under "body" labels too.
  EXPECT_EQ(record_of("From: aaaaaaaaaa\nFrom: aaaaaaaaab\nSubject: s\nFrom: bbbbbbbbbb\n"
                      "Subject: t\nfrom: cccccccccc\n")
                .from,
            "(#1:) From: aaaaaaaaaa  (#2:) From: aaaaaaaaab  (#body:) From: bbbbbbbbbb  "
            "(#body:) from: cccccccccc  ");
  // A long From line keeps its TABs.
  EXPECT_EQ(record_of("From: Jane\tDoe <j@x>\n").from, "(#1:) From: Jane\tDoe <j@x>  ");
}

TEST(FromRule, JoinOfShortAndSoftBrokenLines) {
  EXPECT_EQ(record_of("From: =\n\tJane Doe\n").from, "(#1:) From:  Jane Doe  ");
  EXPECT_EQ(record_of("From:\n Jane\n").from, "(#1:) From Jane  ");
  // The join takes the next line whatever it holds; that line makes no entry.
  HeaderRecord r = record_of("From: Bob\nTo: Ann Lee\n");
  EXPECT_EQ(r.from, "(#1:) From: BoTo: Ann Lee  ");
  EXPECT_EQ(r.to, "");
  // A soft break on a long line.
  EXPECT_EQ(record_of("From: \"Jane Doe\" =\n<jane@example.com>\n").from,
            "(#1:) From: \"Jane Doe\" <jane@example.com>  ");
  // Joined once only: the appended line's own "=" stays.
  EXPECT_EQ(record_of("From: x=\nab=\ncd\n").from, "(#1:) From: xab=  ");
  // At the end of the file nothing is appended, TABs still become spaces.
  EXPECT_EQ(record_of("From:\tJo\n").from, "(#1:) From: J  ");
  EXPECT_EQ(record_of("From:\tJo").from, "(#1:) From: J  ");
}

TEST(FromRule, DelimiterAfterKeywordBecomesSpace) {
  EXPECT_EQ(record_of("From:|Jane Doe Smith\n").from, "(#1:) From: Jane Doe Smith  ");
  EXPECT_EQ(record_of("From:\tJane Doe Smith\n", '\t').from, "(#1:) From: Jane Doe Smith  ");
  EXPECT_EQ(record_of("From:\tJane Doe Smith\n", '|').from, "(#1:) From:\tJane Doe Smith  ");
}

TEST(ToRule, FoldingCommasAndLabels) {
  EXPECT_EQ(record_of("To: Alice Smith,\n\tBob Jones\n").to, "(#1:) To: Alice Smith Bob Jones  ");
  // Three lines with trailing commas: one entry.
  EXPECT_EQ(record_of("To: a@x.org,\n b@x.org,\n\tc@x.org\nSubject: s\n").to,
            "(#1:) To: a@x.org b@x.org c@x.org  ");
  // Only a comma that ends the field goes; inner ones stay.
  EXPECT_EQ(record_of("To: a, b\n  c,d\n").to, "(#1:) To: a, b  c,d  ");
  // A quoted continuation "> " is folded; ">x" and short lines are not.
  EXPECT_EQ(record_of("To: a,\n> b more\n").to, "(#1:) To: a> b more  ");
  HeaderRecord r = record_of("To: a,\n>x more\n");
  EXPECT_EQ(r.to, "(#1:) To: a,  ");
  EXPECT_EQ(record_of("To: a,\n  \n b c d\n").to, "(#1:) To: a,  ");
  // Continuation as the last line of the file: appended once.
  EXPECT_EQ(record_of("To: a,\n\tbob").to, "(#1:) To: a bob  ");
  // A To line that ends the file.
  EXPECT_EQ(record_of("To: a").to, "(#1:) To: a  ");
  EXPECT_EQ(record_of("Subject: s\nTo: x\nTo: y\n").to, "(#1:) To: x  (#body:) To: y  ");
  EXPECT_EQ(record_of("To:|x\n").to, "(#1:) To: x  ");
  // The pushed-back line is still recognised.
  HeaderRecord p = record_of("To: a\nCc: b\n");
  EXPECT_EQ(p.to, "(#1:) To: a  ");
  EXPECT_EQ(p.cc, "(#1:) Cc: b  ");
}

TEST(CcBccRules, BodyLabelAfterSubjectEvenForTheFirst) {
  HeaderRecord r = record_of("CC: a\nBcc: b\nSubject: s\ncc: c,\n\td\n\tdd d\nBCC: e\n");
  EXPECT_EQ(r.cc, "(#1:) CC: a  (#body:) cc: c,  ");  // "\td\n" is too short to fold
  EXPECT_EQ(record_of("Cc: a,\n\tb c\n").cc, "(#1:) Cc: a b c  ");
  EXPECT_EQ(record_of("Bcc: a,\n b c\n").bcc, "(#1:) Bcc: a b c  ");
  EXPECT_EQ(r.bcc, "(#1:) Bcc: b  (#body:) BCC: e  ");
  EXPECT_EQ(record_of("Subject: s\nCc: x\n").cc, "(#body:) Cc: x  ");
  // Delimiter positions: 4th for Cc, 5th for Bcc.
  HeaderRecord d = record_of("Cc:,x\nBcc:,y\nCc:x,\n", ',');
  EXPECT_EQ(d.cc, "(#1:) Cc: x  (#2:) Cc:x,  ");
  EXPECT_EQ(d.bcc, "(#1:) Bcc: y  ");
}

TEST(FoldContinuation, PushBackChains) {
  // Every rule that reads ahead leaves the next header for the main loop.
  HeaderRecord r = record_of(
      "To: a\n"
      "Cc: b\n"
      "Bcc: c\n"
      "Received: from x [1.2.3.4]\n"
      "To: d\n"
      "Subject: s\n");
  EXPECT_EQ(r.to, "(#1:) To: a  (#2:) To: d  ");
  EXPECT_EQ(r.cc, "(#1:) Cc: b  ");
  EXPECT_EQ(r.bcc, "(#1:) Bcc: c  ");
  EXPECT_EQ(r.recent_ip, "(#1:) [1.2.3.4]  ");
  EXPECT_EQ(r.subject, "(#1:) Subject: s  ");
}

}  // namespace
}  // namespace mailsift
