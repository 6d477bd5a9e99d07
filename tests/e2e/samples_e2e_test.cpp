// The sample messages through the real binary: one row per file, each derived
// by hand from the sample's bytes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

struct Sample {
  const char* name;  // relative to samples/
  int year, month, day, hour, minute;
};

// Every sample, with the modification time the test gives it.
const std::vector<Sample> kSamples = {
    {"01-plain.eml", 2013, 8, 5, 14, 23},       {"02-folded.eml", 2013, 5, 31, 23, 0},
    {"03-forwarded.eml", 2013, 8, 6, 9, 15},    {"04-sent-first.eml", 2008, 12, 4, 8, 1},
    {"05-attachments.eml", 2013, 8, 7, 14, 31}, {"06-received-chain.eml", 2013, 8, 8, 12, 2},
    {"07-mozilla.eml", 2013, 8, 9, 8, 0},       {"08-mapi.eml", 2013, 8, 10, 10, 5},
    {"09-crlf.eml", 2013, 8, 11, 18, 46},       {"10-quoted-reply.eml", 2013, 8, 12, 8, 3},
    {"11-empty.eml", 2013, 8, 13, 0, 0},        {"12-soft-break-from.eml", 1999, 8, 5, 10, 30},
    {"noext-message", 2013, 9, 17, 9, 4},       {"sub/13-nested.eml", 2002, 1, 1, 5, 0},
};

class SamplesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    // Modification times are set in local time; the binary runs with TZ=UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    dir_ = make_scratch_dir();
    root_ = dir_ + "/mail";
    make_dirs(root_ + "/sub");
    for (const Sample& s : kSamples) {
      std::string target = root_ + "/" + s.name;
      write_file(target, read_file(std::string(MAILSIFT_SAMPLES_DIR) + "/" + s.name));
      set_mtime_local(target, s.year, s.month, s.day, s.hour, s.minute);
    }
  }
  void TearDown() override { remove_tree(dir_); }

  std::string dir_;
  std::string root_;
};

TEST_F(SamplesE2E, OneRowPerSampleInWalkOrder) {
  RunOptions o;
  o.cwd = dir_;
  o.env = clean_env(dir_);
  RunResult r = run_mailsift({root_}, o);
  EXPECT_EQ(r.status, 0) << r.err;

  const std::string& p = root_;
  const std::string none = " Unknown  ";
  std::string want =
      "Filename|Size|File-(MOD)Date|From|To|CC|Bcc|Date|Date-Time|"
      "Forward (Prior Sent) Date(s)|Subject|Message Read|Attachment Info|Recent IP";
  // A subdirectory's files come before the directory's own.
  want += "\n" + p + "/sub/13-nested.eml|84|'2002-01-01 05:00|" +
          "(#1:) From: Old Sender <old@example.org>  ||||" +
          "(#1:) Date: Tue, 1 Jan 2002 00:00:01 -050  |'2002-01-01 00:00:01 -050||" +
          "(#1:) Subject: Old  |" + none + "||";
  want += "\n" + p + "/01-plain.eml|293|'2013-08-05 14:23|" +
          "(#1:) From: Jane Doe <jane@example.org>  |(#1:) To: Bob Smith <bob@example.com>  |||" +
          "(#1:) Date: Mon, 5 Aug 2013 10:22:33 -0400  |'2013-08-05 10:22:33 -0400||" +
          "(#1:) Subject: Quarterly report  |" + none + "||(#1:) [192.0.2.7]  ";
  want += "\n" + p + "/02-folded.eml|294|'2013-05-31 23:00|" +
          "(#1:) From: Carol White <carol@example.net>  |" +
          "(#1:) To: Alice Smith <alice@example.com> Bob Jones <bob@example.com>  "
          "Dan Brown <dan@example.com>  |" +
          "(#1:) Cc: Eve Adams <eve@example.com> Frank Lee <frank@example.com>  |" +
          "(#1:) Bcc: audit@example.net  |" +
          "(#1:) Date: Fri, 31 May 2013 23:59:59 +0200  |'2013-05-31 23:59:59 +0200||" +
          "(#1:) Subject: Team lunch  |" + none + "||";
  want += "\n" + p + "/03-forwarded.eml|391|'2013-08-06 09:15|" +
          "(#1:) From: Bob Smith <bob@example.com>  "
          "(#body:) From: Jane Doe [mailto:jane@example.org]  |" +
          "(#1:) To: Carol White <carol@example.net>  (#body:) To: Bob Smith  |" +
          "(#body:) Cc: Legal Team  ||" + "(#1:) Date: Tue, 6 Aug 2013 09:05:11 +0000 (UTC)  |" +
          "'2013-08-06 09:05:11 +0000 (UTC)|" + "(#1:) Sent: Monday, March 04, 2013 04:22 PM  |" +
          "(#1:) Subject: FW: Offer  (#2:) Subject: Offer  |" + none + "||";
  want += "\n" + p + "/04-sent-first.eml|145|'2008-12-04 08:01|" +
          "(#1:) From: Jane Doe  |(#1:) To: Bob Smith  |||" +
          "(#1:) Sent: Wednesday, December 03, 2008 11:15 AM  "
          "(#2:) Date: Thu, 4 Dec 2008 08:00:00 -0800  |'2008-12-03 11:15 AM|" +
          "(#1:) Sent: Wednesday, December 03, 2008 11:15 AM  |" + "(#1:) Subject: Budget  |" +
          none + "||";
  want += "\n" + p + "/05-attachments.eml|529|'2013-08-07 14:31|" +
          "(#1:) From: Jane Doe <jane@example.org>  |(#1:) To: Bob Smith <bob@example.com>  |||" +
          "(#1:) Date: Wed, 7 Aug 2013 14:30:00 +0100  |'2013-08-07 14:30:00 +0100||" +
          "(#1:) Subject: Files  |(#1:)  YES |" +
          "(#1:) Attachment info:  name=\"report.pdf\"  "
          "(#1:) Attachment info: filename=\"report.pdf\"  "
          "(#2:) Attachment info: name=\"chart.png\"  "
          "(#2:) Attachment info: filename=\"chart.png\"  |";
  want += "\n" + p + "/06-received-chain.eml|482|'2013-08-08 12:02|" +
          "(#1:) From: Dan Brown <dan@example.com>  |(#1:) To: carol@example.net  |||" +
          "(#1:) Date: Thu, 8 Aug 2013 12:00:00 +0100  |'2013-08-08 12:00:00 +0100||" +
          "(#1:) Subject: Route test  |" + none + "||" +
          "(#1:) [198.51.100.20]  (#2:) [203.0.113.45][10.0.0.5]  (#3:) 10.1.2.3  "
          "(#4:) [203.0.113.45]  ";
  want += "\n" + p + "/07-mozilla.eml|392|'2013-08-09 08:00|" +
          "(#1:) From: Eve Adams <eve@example.com>  |(#1:) To: Frank Lee <frank@example.com>  |||" +
          "(#1:) Date: Fri, 9 Aug 2013 07:59:00 -0700  |'2013-08-09 07:59:00 -0700||" +
          "(#1:) Subject: Fwd: offer  |(#2:)  NO/Unknown |" +
          "(#1:) Attachment info: name=\"Fwd: offer.eml  "
          "(#2:) Attachment info: Attachment Converted: \"C:\\Mail\\attach\\offer.doc\"  |";
  want +=
      "\n" + p + "/08-mapi.eml|290|'2013-08-10 10:05|" +
      "(#1:) From: Frank Lee <frank@example.com>  |(#1:) To: Grace Hall <grace@example.com>  |||" +
      "(#1:) Date: Sat, 10 Aug 2013 10:00:00 +0000  |'2013-08-10 10:00:00 +0000||" +
      "(#1:) Subject: Minutes  ||(#1:) Attachment info: See Attachment: minutes.txt  |";
  want +=
      "\n" + p + "/09-crlf.eml|269|'2013-08-11 18:46|" +
      "(#1:) From: Grace Hall <grace@example.com>  |(#1:) To: Ivan Petrov <ivan@example.com>  |" +
      "(#1:) Cc: Judy Kim <judy@example.com> Karl Marx <karl@example.com>  ||" +
      "(#1:) Date: Sun, 11 Aug 2013 18:45:10 +0300  |'2013-08-11 18:45:10 +0300||" +
      "(#1:) Subject: Windows saved  |(#1:)  YES ||";
  want += "\n" + p + "/10-quoted-reply.eml|341|'2013-08-12 08:03|" +
          "(#1:) From: Ivan Petrov <ivan@example.com>  "
          "(#body:) From: Grace Hall <grace@example.com>  |" +
          "(#1:) To: Grace Hall <grace@example.com>  "
          "(#body:) To: Ivan Petrov <ivan@example.com>> Sent: Sunday, August 11, 2013 6:45 PM  |" +
          "||(#1:) Date: Mon, 12 Aug 2013 08:00:00 +0300  |'2013-08-12 08:00:00 +0300||" +
          "(#1:) Subject: Re: Windows saved  (#2:) Subject: Windows saved  |" + none + "||";
  want += "\n" + p + "/11-empty.eml|0|'2013-08-13 00:00||||||'0000-00-00 |||" + none + "||";
  want += "\n" + p + "/12-soft-break-from.eml|167|'1999-08-05 10:30|" +
          "(#1:) From: \"Lee, Kim\"  <kim@example.com>  |(#1:) To: Attachment: list  ||" +
          "(#body:) Bcc: hidden@example.com  |" +
          "(#1:) Date: 5 Aug 99 10:22  |'1999-08-05 10:22||(#1:) Subject: Notes  |" + none + "|" +
          "(#1:) Attachment info: X-Attachments: C:\\docs\\notes.doc  |";
  want += "\n" + p + "/noext-message|118|'2013-09-17 09:04|" +
          "(#1:) From:\tKim Lee  |(#1:) To:\tTeam  |||" +
          "(#1:) Sent:\tTuesday, September 17, 2013 9:03 AM  |'2013-09-17 |" +
          "(#1:) Sent:\tTuesday, September 17, 2013 9:03 AM  |(#1:) Subject:\tStatus  |" + none +
          "||";
  EXPECT_EQ(r.out, want);
  // One progress line per message on standard error.
  EXPECT_NE(r.err.find("\n" + p + "/05-attachments.eml           529 Bytes"), std::string::npos)
      << r.err;
}

}  // namespace
}  // namespace mailsift::test
