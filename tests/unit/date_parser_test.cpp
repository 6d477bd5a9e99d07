#include "scan/date_parser.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace mailsift {
namespace {

// The Date-Time column after its apostrophe, as the plain row writes it.
std::string written(const std::string& line) {
  ParsedDate d;
  parse_header_date(line, d);
  char head[64];
  std::snprintf(head, sizeof head, "%04d-%02d-%02d ", d.year, d.month, d.day);
  return head + d.time_text;
}

TEST(ParseHeaderDate, WorkedExamples) {
  EXPECT_EQ(written("Date: Mon, 5 Aug 2013 10:22:33 -0400"), "2013-08-05 10:22:33 -0400");
  EXPECT_EQ(written("Date: Fri, 31 May 2013 23:59:59 +0200"), "2013-05-31 23:59:59 +0200");
  EXPECT_EQ(written("Date: 5 Aug 2013"), "2013-08-05 ");
  EXPECT_EQ(written("Sent: Monday, March 04, 2013 04:22 PM"), "2013-03-04 04:22 PM");
  EXPECT_EQ(written("Sent: Monday, March 04, 2013 4:22 PM"), "2013-03-04 ");
  EXPECT_EQ(written("Sent: Wednesday, December 03, 2008 11:15 AM"), "2008-12-03 11:15 AM");
  EXPECT_EQ(written("Date: 5 Aug 99 10:22"), "1999-08-05 10:22");
  EXPECT_EQ(written("Date: 5 Aug 13 10:22"), "0002-08-05 10:22");
  EXPECT_EQ(written("Date: Mon, 05-Aug-2013 10:22"), "2013-08-05 10:22");
  EXPECT_EQ(written("Date: 2013-08-05 10:22"), "2013-00-08 10:22");
  EXPECT_EQ(written("Date: none"), "0000-00-00 ");
}

TEST(ParseHeaderDate, EdgeCases) {
  // Table order decides: Jan before Dec wherever they stand.
  EXPECT_EQ(written("Date: 3 Dec 2010 or Jan x"), "2010-01-03 ");
  // A month name that ends the line is not found; case does not matter.
  EXPECT_EQ(written("Sent: 5 Dec"), "0000-00-05 ");
  EXPECT_EQ(written("Sent: 5 DEC x"), "0000-12-05 ");
  EXPECT_EQ(written("Sent: 5 xmAYx"), "0000-05-05 ");
  // The later of two years above 1900 wins.
  EXPECT_EQ(written("Date: 1 Feb 2011 2012 x"), "2012-02-01 ");
  // The whole rest of the line is the time text, however long.
  EXPECT_EQ(written("Date: 1 Jul 2013 09:05:11 +0000 (UTC)"), "2013-07-01 09:05:11 +0000 (UTC)");
  EXPECT_EQ(written("Sent: 2 Jul 2013 09:05 (Pacific Daylight Time)"),
            "2013-07-02 09:05 (Pacific Daylight Time)");
  // A one-digit hour: the scan passes "7" and keeps "05:00".
  EXPECT_EQ(written("Date: 1 Jul 2013 7:05:00"), "2013-07-01 05:00");
  // No space after the first character: empty value, year from the fallback only.
  EXPECT_EQ(written("Date:Mon,5-Aug-2013"), "2013-00-00 ");
  EXPECT_EQ(written("Date:xyz1999"), "1999-00-00 ");
  EXPECT_EQ(written("Date:x1999"), "0009-00-00 ");  // the fallback starts at the 9th character
  // A line shorter than 9 characters leaves the year alone.
  EXPECT_EQ(written("Date: 77"), "1977-00-00 ");
  EXPECT_EQ(written("Date: 8"), "0000-00-08 ");
  EXPECT_EQ(written(""), "0000-00-00 ");
  // 32 and 1900 are neither day nor year; the scan then moves one character
  // on and reads "900" (year 2800), and "2" after the skipped 32 is the day.
  EXPECT_EQ(written("Date: 1900 32 1"), "2800-00-02 ");
  // Huge numbers saturate (and count as a year).
  EXPECT_EQ(written("Date: 99999999999999999999 x"), "2147483647-00-00 ");
}

TEST(ParseHeaderDate, NeverResetsFieldsItDoesNotSet) {
  ParsedDate d;
  d.month = 4;
  d.day = 9;
  parse_header_date("Date: no month 2020", d);
  EXPECT_EQ(d.month, 4);
  EXPECT_EQ(d.day, 9);
  EXPECT_EQ(d.year, 2020);
}

TEST(ParseHeaderDate, HostileLinesStayFast) {
  // Long runs of zeros, spaces and digits are walked one character at a time
  // by the rules; this must not turn quadratic.
  std::string zeros = "Date: 1 " + std::string(30000, '0') + "5 ";
  std::string spaces = "Date: 1 2000" + std::string(30000, ' ') + "x";
  std::string digits = "Date: " + std::string(30000, '7');
  EXPECT_EQ(written(zeros), "0005-00-01 ");
  EXPECT_EQ(written(spaces), "2000-00-01 ");
  EXPECT_EQ(written(digits), "2147483647-00-00 ");
}

}  // namespace
}  // namespace mailsift
