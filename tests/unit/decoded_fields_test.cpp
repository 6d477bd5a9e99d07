// The decoded header fields on strings: encoded words, unlabelled bytes, the
// own header block, dates, file times and Maildir names.
#include "scan/decoded_fields.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scan/mail_date.h"
#include "scan/maildir_flags.h"
#include "util/calendar.h"

namespace mailsift {
namespace {

TEST(HeaderText, EncodedWordsAndUnlabelledBytes) {
  const struct {
    std::string raw;
    std::string text;
  } cases[] = {
      {"=?utf-8?B?w6k=?=", "é"},
      {"=?UTF-8?q?caf=C3=A9_au=20lait?=", "café au lait"},
      {" =?iso-8859-1?Q?Andr=e9?= Smith ", "André Smith"},
      {"=?koi8-r?b?8NLJ18XU?=", "Привет"},
      {"=?windows-1252?q?=80=81?=", "€\u0081"},
      {"=?utf-8*en?q?hi?=", "hi"},
      {"=?utf-8?b?w6k?=", "é"},  // missing padding
      // Adjacent words join; other text keeps its spaces.
      {"=?utf-8?q?a?= \t =?utf-8?q?b?=", "ab"},
      {"=?utf-8?q?a?= =?iso-8859-1?q?=E9?=", "aé"},
      {"=?utf-8?q?a?= x =?utf-8?q?b?=", "a x b"},
      {"pre=?utf-8?q?mid?=post", "premidpost"},
      {"=?utf-8?q?_x_?=", "x"},
      // A character split between two words comes out whole.
      {"=?utf-8?b?5byg5A==?= =?utf-8?b?vJ8=?=", "张伟"},
      // Malformed words, unknown charsets and invalid bytes stay as written,
      // with the white space beside them.
      {"=?utf-8?q?bad=ZZ?=", "=?utf-8?q?bad=ZZ?="},
      {"=?utf-8?b?w6k*?=", "=?utf-8?b?w6k*?="},
      {"=?utf-8?b?w===?=", "=?utf-8?b?w===?="},
      {"=?utf-8?b?w?=", "=?utf-8?b?w?="},
      {"=?utf-8?x?abc?=", "=?utf-8?x?abc?="},
      {"=?utf-8?q?\?=", "=?utf-8?q?\?="},  // no text
      {"=??q?abc?=", "=??q?abc?="},
      {"=?utf-8?q?open", "=?utf-8?q?open"},
      {"=?x-unknown?q?abc?= =?utf-8?q?d?=", "=?x-unknown?q?abc?= d"},
      {"=?utf-8?q?=FF?= =?utf-8?q?ok?=", "=?utf-8?q?=FF?= ok"},
      {"=?us-ascii?q?=E9?=", "=?us-ascii?q?=E9?="},
      // Bytes without a label: UTF-8 where they are, Windows-1252 otherwise.
      {"Caf\xE9 \x93q\x94", "Café “q”"},
      {"caf\xC3\xA9 na\xEFve", "café naïve"},
      {"\x81\x8D\x8F\x90\x9D", "\u0081\u008D\u008F\u0090\u009D"},
      {"\xE9 =?utf-8?q?x?=", "é x"},
      {"\xC3", "Ã"},
      // ASCII runs are measured sixteen bytes at a time: 8-bit bytes at and
      // across those steps.
      {"0123456789abcdef\xE9", "0123456789abcdefé"},
      {"a plain ASCII run of more than 16 \xE9 then caf\xC3\xA9 and more ASCII after it\x80",
       "a plain ASCII run of more than 16 é then café and more ASCII after it€"},
      {" \t\r ", ""},
  };
  HeaderTextDecoder decoder;
  std::string out = "old";
  for (const auto& c : cases) {
    decoder.decode_words(c.raw, out);
    EXPECT_EQ(out, c.text) << c.raw;
  }
}

// Lines as the text reader gives them; `field` after the last one.
struct Collected {
  bool present;
  std::string value;
};
Collected collect(const std::vector<std::string>& lines, OwnField field) {
  OwnHeaderCollector header;
  header.feed("Subject: from the message before\n");
  header.reset();
  for (const std::string& line : lines) header.feed(line);
  return {header.present(field), std::string(header.value(field))};
}

TEST(OwnHeader, FirstOccurrenceUnfoldedInTheOwnBlock) {
  using F = OwnField;
  const struct {
    std::vector<std::string> lines;
    OwnField field;
    bool present;
    std::string value;
  } cases[] = {
      {{"Subject: a\n", " b\n", "\tc\n", "\n"}, F::kSubject, true, " a b\tc"},
      {{"SUBJECT: one\n", " more\n", "subject: two\n", " also\n"}, F::kSubject, true, " one more"},
      {{"Subject : x\n"}, F::kSubject, true, " x"},
      {{"Subject:\n"}, F::kSubject, true, ""},
      {{"Message-Id: <a@b>\n"}, F::kMessageId, true, " <a@b>"},
      {{"cC: c\n", "DATE: d\n"}, F::kCc, true, " c"},
      {{"Subjective: x\n", "Toolbar: y\n", "Date x\n", " Subject: z\n"}, F::kSubject, false, ""},
      {{"Toolbar: y\n", "To: z\n"}, F::kTo, true, " z"},
      {{"From: a\n", "\n", "Subject: body\n"}, F::kSubject, false, ""},
      {{"From: a\n", "\r\n", "Subject: body\n"}, F::kSubject, false, ""},
      // A line longer than a piece: the pieces are one line, and a piece
      // that is only its LF ends that line, not the block.
      {{"Subject: ab", "cd\n"}, F::kSubject, true, " abcd"},
      {{"Subject: ab", " cd\n"}, F::kSubject, true, " ab cd"},
      {{"X-Long: aaa", "\n", "From: f\n"}, F::kFrom, true, " f"},
      {{"X-Long: aaa", "From: f\n"}, F::kFrom, false, ""},
      {{"Subject: last line, no LF"}, F::kSubject, true, " last line, no LF"},
  };
  for (const auto& c : cases) {
    const Collected got = collect(c.lines, c.field);
    EXPECT_EQ(got.present, c.present) << c.lines[0];
    EXPECT_EQ(got.value, c.value) << c.lines[0];
  }
}

TEST(OwnHeader, EndsAtTheEmptyLineAndCapsAValue) {
  OwnHeaderCollector header;
  EXPECT_TRUE(header.feed("Subject: x\n"));
  EXPECT_FALSE(header.feed("\n"));
  EXPECT_FALSE(header.in_block());
  EXPECT_FALSE(header.feed("From: late\n"));
  EXPECT_FALSE(header.present(OwnField::kFrom));

  header.reset();
  EXPECT_TRUE(header.in_block());
  header.feed("Subject:");
  const std::string piece(32767, 'x');
  for (int i = 0; i < 10; ++i) header.feed(piece);
  header.feed(" y\n");
  EXPECT_EQ(header.value(OwnField::kSubject).size(), OwnHeaderCollector::kMaxFieldBytes);
}

TEST(MailDate, ReadAsRfc5322ReadsIt) {
  const struct {
    const char* value;
    const char* utc;  // "" when not a date
  } cases[] = {
      {"Mon, 5 Aug 2013 10:22:33 -0400", "2013-08-05T14:22:33Z"},
      {"5 Aug 2013 10:22:33 +0200", "2013-08-05T08:22:33Z"},
      {"Fri, 31 May 2013 23:59 +0200", "2013-05-31T21:59:00Z"},
      {" Tue , 6 Aug 2013 (a (nested) comment) 09:05:11 +0000 (UTC)", "2013-08-06T09:05:11Z"},
      {"mon, 05-aug-2013 10:22:33 GMT", "2013-08-05T10:22:33Z"},
      {"Monday, 5 August 2013 10:22:33 UT", "2013-08-05T10:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 EST", "2013-08-05T15:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 pdt", "2013-08-05T17:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 CDT", "2013-08-05T15:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 A", "2013-08-05T10:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 CEST", "2013-08-05T10:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33", "2013-08-05T10:22:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 +05:30", "2013-08-05T04:52:33Z"},
      {"Mon, 5 Aug 2013 10:22:33 -0400 EDT", "2013-08-05T14:22:33Z"},
      {"Thu, 31 Dec 2099 23:30:00 -0100", "2100-01-01T00:30:00Z"},
      {"1 Jan 0001 00:30:00 +0100", "0000-12-31T23:30:00Z"},
      {"5 Aug 49 10:22 +0000", "2049-08-05T10:22:00Z"},
      {"5 Aug 50 10:22 +0000", "1950-08-05T10:22:00Z"},
      {"5 Aug 113 10:22 +0000", "2013-08-05T10:22:00Z"},
      {"29 Feb 2024 12:00:00 +0000", "2024-02-29T12:00:00Z"},
      {"31 Dec 2016 23:59:60 +0000", "2017-01-01T00:00:00Z"},
      {"29 Feb 2023 12:00:00 +0000", ""},
      {"5 Aug 2013 24:00:00 +0000", ""},
      {"5 Aug 2013 10:60:00 +0000", ""},
      {"5 Aug 2013 10:22:33 +04", ""},
      {"5 Aug 2013 10:22:33 +040", ""},
      {"5 Aug 2013", ""},
      {"5 Aug 10:22:33", ""},
      {"Someday, 5 Aug 2013 10:22:33", ""},
      {"5 Agu 2013 10:22:33", ""},
      {"5 Augus 2013 10:22:33", ""},  // neither the whole name nor three letters
      {"Tues, 6 Aug 2013 10:22:33", ""},
      {"sat 7 SEPTEMBER 2013 10:00 +0000", "2013-09-07T10:00:00Z"},
      {"5 Aug 12013 10:22:33", ""},
      {"", ""},
  };
  for (const auto& c : cases) {
    const std::optional<std::int64_t> seconds = parse_mail_date(c.value);
    std::string text;
    if (seconds) append_utc_time(*seconds, text);
    EXPECT_EQ(text, c.utc) << c.value;
  }
}

TEST(MailDate, TheUsualFormReadsAsTheGeneralReadingDoes) {
  // A comment after the zone sends a date the general way; the instant must
  // not change, nor must a date that is not one become one.
  const char* const dates[] = {
      "Mon, 5 Aug 2013 10:22:33 -0400",  "5 Aug 2013 10:22:33 +0000",
      "Tue, 31 Dec 2099 23:30:00 -0100", " Thu, 29 Feb 2024 12:00:00 +0530 ",
      "Sat, 31 Dec 2016 23:59:60 +0000", "Wed, 01 Jan 0001 00:30:00 +0100",
      "Fri, 30 Feb 2013 10:00:00 +0000", "Mon, 5 Aug 2013 24:00:00 +0000",
      "Mon, 5 Aug 0000 10:00:00 +0000",  "Xyz, 5 Aug 2013 10:22:33 +0000",
      "Mon, 5 Xyz 2013 10:22:33 +0000",  "mon, 15 jan 2013 10:22:33 -1200",
      "Sun, 9 Sep 2012 19:19:00 -0400",  "Mon, 5 Aug 2013 10:22:33 +04",
  };
  for (const char* date : dates) {
    const std::optional<std::int64_t> usual = parse_mail_date(date);
    const std::optional<std::int64_t> general = parse_mail_date(std::string(date) + " (c)");
    EXPECT_EQ(usual, general) << date;
  }
  EXPECT_EQ(parse_mail_date("Mon, 5 Aug 2013 10:22:33 -0400"), 1375712553);
}

TEST(MailDate, FileTimesAndTheRangeOfYears) {
  std::string text;
  append_file_time_utc(0, text);
  text.push_back(' ');
  append_file_time_utc(to_file_time(1375712553) + 9999999, text);
  EXPECT_EQ(text, "1601-01-01T00:00:00Z 2013-08-05T14:22:33Z");
  text.clear();
  EXPECT_FALSE(append_utc_time(253402300800, text));  // 10000-01-01
  EXPECT_TRUE(append_utc_time(253402300799, text));
  EXPECT_EQ(text, "9999-12-31T23:59:59Z");
}

TEST(MaildirFlags, AfterTheLastMarkerOfTheName) {
  const struct {
    const char* path;
    const char* flags;
  } cases[] = {
      {"cur/1375712553.M1P2.host:2,RS", "RS"},
      {"1375712553.M1P2.host!2,S", "S"},
      {"1375712553.M1P2.host;2,", ""},
      {"a:2,b:2,DP", "DP"},
      {"new/1375712553.M1P2.host", ""},
      {"x:1,S", ""},
      {"dir:2,S/message", ""},
      {"dir:2,S/x:2,F", "F"},
      {":2", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(maildir_flags(c.path), c.flags) << c.path;
}

TEST(FieldDecoder, AbsentEmptyAndUnparseableAreDistinct) {
  OwnHeaderCollector header;
  for (const char* line : {"Subject:  =?utf-8?q?R=C3=A9sum=C3=A9?=\n", "To:\n",
                           "Message-ID: \n <id@x>\n", "Date: someday\n", "\n"}) {
    header.feed(line);
  }
  FieldDecoder decoder;
  DecodedFields fields;
  fields.from_text = {"stale", true};
  decoder.decode(header, "cur/1:2,S", to_file_time(0), fields);
  EXPECT_EQ(fields.subject_text.text, "Résumé");
  EXPECT_TRUE(fields.to_text.present);
  EXPECT_EQ(fields.to_text.text, "");
  EXPECT_FALSE(fields.from_text.present);
  EXPECT_FALSE(fields.cc_text.present);
  EXPECT_EQ(fields.message_id.text, "<id@x>");
  EXPECT_TRUE(header.present(OwnField::kDate));
  EXPECT_FALSE(fields.date_utc.present);
  EXPECT_EQ(fields.modified_utc, "1970-01-01T00:00:00Z");
  EXPECT_EQ(fields.maildir_flags, "S");
}

}  // namespace
}  // namespace mailsift
