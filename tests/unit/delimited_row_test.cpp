#include "report/delimited_row.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

using test::row_end_of;

// Columns 1 to 3 of a row (with the line end before them and the delimiter
// after them): the row of an empty record, cut after its third column.
std::string row_start(DelimitedStyle style, const std::string& path, std::int64_t size,
                      const ModTime& mod) {
  MessageRecord record;
  record.size = size;
  record.modified = mod;
  std::string out;
  append_delimited_row(out, style, path, record);
  std::string end;
  append_captured_columns(end, style, record.fields);
  return out.substr(0, out.size() - end.size());
}

std::string full_row(const std::string& path, std::int64_t size, const std::string& message,
                     char delimiter = '|', bool quoted = false) {
  return row_start({delimiter, quoted}, path, size, ModTime{2013, 8, 6, 9, 15}) +
         row_end_of(message, delimiter, quoted);
}

TEST(HeaderRow, PlainAndQuoted) {
  std::string plain;
  append_header_row(plain, DelimitedStyle{'|', false});
  EXPECT_EQ(plain,
            "Filename|Size|File-(MOD)Date|From|To|CC|Bcc|Date|Date-Time|"
            "Forward (Prior Sent) Date(s)|Subject|Message Read|Attachment Info|Recent IP");
  std::string quoted;
  append_header_row(quoted, DelimitedStyle{',', true});
  EXPECT_EQ(quoted,
            "\"Filename\",\"Size\",\"File-(MOD)Date\",\"From\",\"To\",\"CC\",\"Bcc\",\"Date\","
            "\"Date-Time\",\"Forward Date\",\"Subject\",\"Message Read\",\"Attachment Info\","
            "\"Recent IP\"");
  std::string tab;
  append_header_row(tab, DelimitedStyle{'\t', false});
  EXPECT_EQ(tab.find('\n'), std::string::npos);
  EXPECT_EQ(tab.substr(0, 15), "Filename\tSize\tF");
}

TEST(ReportRow, WorkedExampleRows) {
  const std::string message =
      "Received: from relay1 (relay1 [192.0.2.7])\n"
      "\tby relay2 with SMTP\n"
      "From: Jane Doe\n"
      "To: Bob Smith,\n"
      "\tCarol Jones\n"
      "Subject: Quarterly report\n"
      "Date: Mon, 5 Aug 2013 10:22:33 -0400\n"
      "X-Mozilla-Status: 0001\n"
      "\n"
      "Hello Bob,\nthe report is attached.\n";
  EXPECT_EQ(
      full_row("/mail/a.eml", 2345, message),
      "\n/mail/a.eml|2345|'2013-08-06 09:15|(#1:) From: Jane Doe  |(#1:) To: Bob Smith Carol "
      "Jones  |||(#1:) Date: Mon, 5 Aug 2013 10:22:33 -0400  |'2013-08-05 10:22:33 -0400||(#1:) "
      "Subject: Quarterly report  |(#1:)  YES ||(#1:) [192.0.2.7]  ");
  EXPECT_EQ(full_row("/mail/b.eml", 0, ""),
            "\n/mail/b.eml|0|'2013-08-06 09:15||||||'0000-00-00 ||| Unknown  ||");
  EXPECT_EQ(full_row("/mail/b.eml", 0, "", ',', true),
            "\n\"/mail/b.eml\",\"0\",\"'2013-08-06 09:15\",\"\",\"\",\"\",\"\",\"\",\"'   0-00-00 "
            "\",\"\",\"\",\" Unknown  \",\"\",\"\"");
  // A file with no recognised line gives the same columns as an empty one.
  EXPECT_EQ(row_end_of("hello\nworld\n"), row_end_of(""));
}

TEST(ReportRow, RowStartFormats) {
  EXPECT_EQ(row_start({'|', false}, "/m/x", -5, ModTime{980, 1, 2, 3, 4}),
            "\n/m/x|-5|' 980-01-02 03:04|");
  EXPECT_EQ(row_start({';', true}, "/m/x", 9000000000LL, ModTime{2024, 12, 31, 23, 59}),
            "\n\"/m/x\";\"9000000000\";\"'2024-12-31 23:59\";");
}

TEST(ReportRow, NumbersPrintAsPrintfWouldPrintThem) {
  // Odd values (negative, wider than the field, the extremes) keep printf's
  // padding: spaces before a sign, zeros after it.
  const std::int32_t values[] = {0,    7,     -7,    42,     -42,       999,      -999,
                                 2013, -2013, 12345, -12345, INT32_MAX, INT32_MIN};
  for (std::int32_t v : values) {
    char expected[160];
    std::string out = row_start({'|', false}, "/m", v, ModTime{v, v, v, v, v});
    std::snprintf(expected, sizeof expected, "\n/m|%lld|'%4d-%02d-%02d %02d:%02d|",
                  static_cast<long long>(v), v, v, v, v, v);
    EXPECT_EQ(out, expected) << v;
    for (bool quoted : {false, true}) {
      CapturedFields fields;
      fields.parsed.year = v;
      fields.parsed.month = v;
      fields.parsed.day = v;
      out.clear();
      append_captured_columns(out, DelimitedStyle{'|', quoted}, fields);
      std::snprintf(expected, sizeof expected, quoted ? "\"'%4d-%02d-%02d \"" : "'%04d-%02d-%02d ",
                    v, v, v);
      EXPECT_NE(out.find(std::string("|") + expected + "|"), std::string::npos) << out;
    }
  }
  EXPECT_EQ(row_start({'|', false}, "/m", INT64_MIN, ModTime{}),
            "\n/m|-9223372036854775808|'   0-00-00 00:00|");
}

TEST(ReportRow, DoubleQuotesOnlyWithCommaAndOnlyOnFreeText) {
  const std::string subject = "Subject: He said \"hi\"\n";
  std::string comma = row_end_of(subject, ',', true);
  EXPECT_NE(comma.find("\"(#1:) Subject: He said \"\"hi\"\"  \""), std::string::npos) << comma;
  std::string pipe = row_end_of(subject, '|', true);
  EXPECT_NE(pipe.find("\"(#1:) Subject: He said \"hi\"  \""), std::string::npos) << pipe;
  // Forward dates, Date and Recent IP are never doubled.
  std::string fwd =
      row_end_of("Date: \"x\" 2001\nSent: \"q\" 2002\nFrom: \"A B\" <a@b>\n", ',', true);
  EXPECT_EQ(fwd,
            "\"(#1:) From: \"\"A B\"\" <a@b>  \",\"\",\"\",\"\",\"(#1:) Date: \"x\" 2001  \","
            "\"'2001-00-00 \",\"(#1:) Sent: \"q\" 2002  \",\"\",\" Unknown  \",\"\",\"\"");
  // Plain mode never doubles, even with a comma.
  EXPECT_EQ(row_end_of(subject, ',', false).find("\"\""), std::string::npos);
}

TEST(ReportRow, TabDelimiterAfterKeyword) {
  std::string row = row_end_of("From:\tJane Doe Smith\n", '\t', false);
  EXPECT_EQ(row.substr(0, row.find('\t')), "(#1:) From: Jane Doe Smith  ");
  EXPECT_EQ(std::count(row.begin(), row.end(), '\t'), 10);
}

TEST(ReportRow, LongTimeTextReachesTheReport) {
  std::string row = row_end_of("Date: Tue, 6 Aug 2013 09:05:11 -0700 (Pacific Daylight Time)\n");
  EXPECT_NE(row.find("|'2013-08-06 09:05:11 -0700 (Pacific Daylight Time)|"), std::string::npos)
      << row;
}

}  // namespace
}  // namespace mailsift
