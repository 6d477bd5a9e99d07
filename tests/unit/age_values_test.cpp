#include "config/age_values.h"

#include <gtest/gtest.h>

#include "unit/config_test_support.h"
#include "util/calendar.h"

namespace mailsift::test {
namespace {

void expect_date(std::string_view text, int year, int month, int day) {
  CalendarDate d = parse_date_text(text);
  EXPECT_EQ(d.year, year) << text;
  EXPECT_EQ(d.month, month) << text;
  EXPECT_EQ(d.day, day) << text;
}

TEST(DateText, EveryLayoutRow) {
  expect_date("12-05-05", 1905, 12, 5);    // separated, 8, up to 12: mm-dd-yy
  expect_date("13-05-12", 1913, 5, 12);    // separated, 8, above 12: yy-mm-dd
  expect_date("12/5/2005", 1900, 12, 5);   // separated, 9: mm-dd-yy
  expect_date("13-05-1999", 1999, 13, 5);  // separated, 10, up to 13: mm-dd-yyyy
  expect_date("2005-12-05", 2005, 12, 5);  // separated, 10, above 13: yyyy-mm-dd
  expect_date("120505", 1905, 12, 5);      // 6, up to 12: mmddyy
  expect_date("131205", 1913, 12, 5);      // 6, above 12: yymmdd
  expect_date("12050 5", 1900, 12, 5);     // a blank at 5 makes 6
  expect_date("12052005", 2005, 12, 5);    // 8, up to 13: mmddyyyy
  expect_date("20051205", 2005, 12, 5);    // 8, 14 to 20: yyyymmdd
  expect_date("21120501", 1921, 12, 5);    // 8, above 20: yymmdd
  expect_date("12055", 1905, 12, 5);       // 5: mmddyy
  expect_date("1205051", 1905, 12, 5);     // 7: mmddyy
  expect_date("1-5-2005", 2005, 1, 5);     // unseparated after all: mmddyyyy
  expect_date("01-01-1980", 1980, 1, 1);
  expect_date("", 1900, 0, 0);
  expect_date("99-99-9999", 1999, 0, 99);
  expect_date("ab", 1900, 0, 0);
}

TEST(DateText, DaysSinceDate) {
  ScopedTimeZone utc("UTC");
  FixedClock clock(local_seconds(2005, 12, 10, 12, 0));
  EXPECT_EQ(days_since_date(clock, "12-05-2005"), 5);
  EXPECT_EQ(days_since_date(clock, "12-05-05"), 5);     // 0 to 9: 2000s
  EXPECT_EQ(days_since_date(clock, "12/5/2005"), 5);    // numbers read before the rewrite
  EXPECT_EQ(days_since_date(clock, "1-5-2005"), 339);   // 5 January 2005
  EXPECT_EQ(days_since_date(clock, "2005-12-05"), -9);  // counted from 20 December 2005
  EXPECT_EQ(days_since_date(clock, "12-10-2005"), 0);   // today
  EXPECT_EQ(days_since_date(clock, "12-11-2005"), 0);   // tomorrow, truncated toward zero
  EXPECT_EQ(days_since_date(clock, "12-09-2005"), 1);   // yesterday
  EXPECT_EQ(days_since_date(clock, "12-10-99"), 2192);  // 11 to 99: 1900s
  // Year 10 stays 10, becomes 1910, before 1970: the conversion gives -1.
  EXPECT_EQ(days_since_date(clock, "12-10-10"), (clock.now() + 1) / 86400);
  // Fewer than three numbers: the missing ones are 0.
  EXPECT_EQ(days_since_date(clock, "12"), days_since_date(clock, "12-0-0"));
  EXPECT_EQ(days_since_date(clock, ""), days_since_date(clock, "0-0-0"));
  // Numbers too large for the rewritten text neither overflow nor crash.
  days_since_date(clock, "99999999999-99999999999-99999999999");
  days_since_date(clock, "-2147483648--2147483648--2147483648");
}

TEST(DateText, LocalTimeAndFileTime) {
  ScopedTimeZone utc("UTC");
  EXPECT_EQ(make_local_time(1970, 1, 1, 0, 0, 0), 0);
  EXPECT_EQ(make_local_time(1969, 12, 31, 23, 59, 59), -1);
  EXPECT_EQ(make_local_time(3001, 1, 1, 0, 0, 0), -1);
  EXPECT_EQ(make_local_time(2005, 13, 1, 0, 0, 0), make_local_time(2006, 1, 1, 0, 0, 0));
  EXPECT_EQ(make_local_time(2005, 1, 32, 0, 0, 0), make_local_time(2005, 2, 1, 0, 0, 0));
  EXPECT_EQ(to_file_time(0), 116444736000000000ULL);
  EXPECT_EQ(to_file_time(-1), 116444735990000000ULL);
}

TEST(DateText, StandardTimeDuringDaylightSaving) {
  ScopedTimeZone ny("America/New_York");
  // Midnight of 1 July taken as standard time is 05:00 UTC (01:00 daylight time).
  EXPECT_EQ(make_local_time(2005, 7, 1, 0, 0, 0), 1120194000);
  EXPECT_EQ(make_local_time(2005, 1, 1, 0, 0, 0), local_seconds(2005, 1, 1));
  FixedClock clock(local_seconds(2005, 7, 2, 0, 30));  // 00:30 daylight time
  EXPECT_EQ(days_since_date(clock, "07-01-2005"), 0);  // one less than the calendar
  clock.set(local_seconds(2005, 7, 2, 1, 30));
  EXPECT_EQ(days_since_date(clock, "07-01-2005"), 1);
}

TEST(DayNumbers, CalendarRules) {
  EXPECT_EQ(day_number(2000, 3, 1) - day_number(2000, 2, 28), 2);  // 2000 is a leap year
  EXPECT_EQ(day_number(1900, 3, 1) - day_number(1900, 2, 28), 1);  // 1900 is not
  EXPECT_EQ(day_number(2004, 3, 1) - day_number(2004, 2, 28), 2);
  EXPECT_EQ(day_number(2001, 1, 1) - day_number(2000, 12, 31), 1);
  EXPECT_EQ(day_number(1980, 0, 0), day_number(1979, 12, 31));
  EXPECT_EQ(day_number(2005, 12, 10) - day_number(1980, 1, 1), 9475);
}

TEST(AgeValues, StoredValues) {
  ScopedTimeZone utc("UTC");
  FixedClock clock(local_seconds(2005, 12, 10, 12, 0));
  AgeFilter s;
  store_age_value(s, clock, " +7x", true);
  EXPECT_EQ(s.older_than, Days{7});
  store_age_value(s, clock, " -7x", true);  // a "-" makes it a date value
  EXPECT_EQ(s.older_than, Days{days_since_date(clock, " -7x")});
  store_age_value(s, clock, "20051205", true);  // no separator: a number of days
  EXPECT_EQ(s.older_than, Days{20051205});
  store_age_value(s, clock, "", false);
  EXPECT_EQ(s.newer_than, Days{0});
  EXPECT_FALSE(s.access_marked || s.creation_marked || s.write_marked);
  // Only the first 19 characters of a date value are looked at.
  store_age_value(s, clock, "12-05-2005         w", true);
  EXPECT_FALSE(s.write_marked);
  store_age_value(s, clock, "99-99-9999", true);
  store_age_value(s, clock, "\xFF\xFE-\x80", false);
}

}  // namespace
}  // namespace mailsift::test
