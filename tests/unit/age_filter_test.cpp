#include "walk/age_filter.h"

#include <gtest/gtest.h>

#include "config/age_values.h"
#include "config/settings.h"
#include "unit/config_test_support.h"
#include "util/calendar.h"

namespace mailsift::test {
namespace {

class AgeFilter : public ::testing::Test {
 protected:
  AgeFilter() : utc_("UTC"), clock_(local_seconds(2005, 12, 10, 12, 0)) {
    ctx_.clock = &clock_;
    ctx_.settings.time_letter = 'w';
    set_default_bounds(ctx_.settings, clock_);
  }
  platform::EntryInfo written(int year, int month, int day, int hour = 12, int minute = 0,
                              int second = 0) {
    platform::EntryInfo e;
    e.write_time = file_time_of(local_seconds(year, month, day, hour, minute, second));
    return e;
  }
  void limit(const char* value, bool older) {
    Settings& s = ctx_.settings;
    s.age_filter_on = 1;
    (older ? s.older_than_date : s.newer_than_date) = 1;
    store_age_value(s, clock_, value, older);
  }
  bool passes(const platform::EntryInfo& e) { return passes_age_filter(ctx_.settings, clock_, e); }

  ScopedTimeZone utc_;
  FixedClock clock_;
  RunContext ctx_;
};

TEST_F(AgeFilter, DefaultBounds) {
  EXPECT_EQ(ctx_.settings.newer_bound, file_time_of(local_seconds(1980, 1, 1)));
  EXPECT_EQ(ctx_.settings.older_bound, file_time_of(local_seconds(2005, 12, 10, 23, 59, 59)));
  EXPECT_TRUE(passes(written(1970, 1, 1)));  // no limit in force
}

TEST_F(AgeFilter, DayCounts) {
  limit("10", true);
  EXPECT_TRUE(passes(written(2005, 11, 30, 23, 59)));  // ten calendar days ago
  EXPECT_FALSE(passes(written(2005, 12, 1, 0, 0)));    // nine
  EXPECT_FALSE(passes(written(1984, 1, 15)));          // 8000 days: the newer default
  EXPECT_TRUE(passes(written(1984, 1, 16)));           // 7999 days
  EXPECT_EQ(age_in_days(clock_, written(1984, 1, 15), 'w'), 8000);
}

TEST_F(AgeFilter, NewerDayCount) {
  limit("1", false);
  EXPECT_TRUE(passes(written(2005, 12, 10, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 12, 9, 23, 59)));
  EXPECT_FALSE(passes(written(2005, 12, 11, 0, 0)));  // tomorrow: age -1
}

TEST_F(AgeFilter, TimeLetterChoosesTheTime) {
  platform::EntryInfo e = written(2005, 12, 10);
  e.access_time = file_time_of(local_seconds(2005, 12, 1));
  e.creation_time = file_time_of(local_seconds(2005, 11, 1));
  EXPECT_EQ(age_in_days(clock_, e, 'w'), 0);
  EXPECT_EQ(age_in_days(clock_, e, 'A'), 9);
  EXPECT_EQ(age_in_days(clock_, e, 'c'), 39);
  EXPECT_EQ(age_in_days(clock_, e, '3'), 0);
  platform::EntryInfo zero;
  EXPECT_EQ(age_in_days(clock_, zero, 'w'), day_number(2005, 12, 10) - day_number(1979, 12, 31));
}

TEST_F(AgeFilter, OlderDateWithoutLetterCountsDays) {
  limit("12-05-2005", true);
  EXPECT_TRUE(passes(written(2005, 12, 5, 18, 0)));  // the date itself is counted
  EXPECT_FALSE(passes(written(2005, 12, 6, 0, 0)));
}

TEST_F(AgeFilter, OlderDateWithLetterUsesWindow) {
  limit("12-05-2005w", true);
  EXPECT_FALSE(passes(written(2005, 12, 5, 0, 0, 1)));
  EXPECT_FALSE(passes(written(2005, 12, 5, 0, 0, 0)));  // strictly below the bound
  EXPECT_TRUE(passes(written(2005, 12, 4, 23, 59, 59)));
  EXPECT_FALSE(passes(written(1979, 12, 31)));  // below the default lower end
  platform::EntryInfo at_lower;
  at_lower.write_time = ctx_.settings.newer_bound;
  EXPECT_FALSE(passes(at_lower));
  at_lower.write_time += 1;  // one 100-nanosecond step later
  EXPECT_TRUE(passes(at_lower));
}

TEST_F(AgeFilter, NewerDate) {
  limit("10-20-2005", false);
  EXPECT_TRUE(passes(written(2005, 10, 21, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 10, 20, 23, 0)));
  Settings& s = ctx_.settings;
  s = Settings{};
  s.time_letter = 'w';
  set_default_bounds(s, clock_);
  limit("10-20-2005w", false);
  EXPECT_TRUE(passes(written(2005, 10, 20, 0, 0, 1)));
  EXPECT_FALSE(passes(written(2005, 10, 20, 0, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 12, 11, 0, 0, 0)));  // after today 23:59:59
}

TEST_F(AgeFilter, AnyRecordedLetterMayMatch) {
  limit("10-20-2005acw", false);
  platform::EntryInfo e = written(2005, 1, 1);
  EXPECT_FALSE(passes(e));
  e.creation_time = file_time_of(local_seconds(2005, 11, 1));
  EXPECT_TRUE(passes(e));
  e.creation_time = 0;
  e.access_time = file_time_of(local_seconds(2005, 11, 1));
  EXPECT_TRUE(passes(e));
}

TEST_F(AgeFilter, LetterTurnsDayLimitsOff) {
  limit("12-05-2005w", true);
  limit("30", false);
  EXPECT_TRUE(passes(written(2005, 11, 1)));  // 39 days old, yet inside the window
}

TEST_F(AgeFilter, TwoDigitYearWindowIsEmpty) {
  limit("12-05-05w", true);
  EXPECT_EQ(ctx_.settings.older_bound, to_file_time(-1));
  EXPECT_FALSE(passes(written(1990, 1, 1)));
  EXPECT_FALSE(passes(written(2005, 1, 1)));
}

TEST_F(AgeFilter, LetterWithoutLimitFlagsMeansNoTest) {
  ctx_.settings.age_filter_on = 1;
  ctx_.settings.date_letter_w = 'w';
  EXPECT_TRUE(passes(written(1970, 1, 1)));
}

TEST_F(AgeFilter, MismatchedConversions) {
  limit("2005-12-05", true);
  EXPECT_EQ(ctx_.settings.older_bound, file_time_of(local_seconds(2005, 12, 5)));
  EXPECT_EQ(ctx_.settings.older_days, -9);
  limit("12/5/2005", false);
  EXPECT_EQ(ctx_.settings.newer_bound, to_file_time(-1));  // 5 December 1900
  EXPECT_EQ(ctx_.settings.newer_days, 5);
  limit("1-5-2005", false);
  EXPECT_EQ(ctx_.settings.newer_bound, file_time_of(local_seconds(2005, 1, 5)));
  EXPECT_EQ(ctx_.settings.newer_days, 339);
}

TEST(SizeFilter, InclusiveBounds) {
  Settings s;
  EXPECT_TRUE(passes_size_filter(s, -5));
  s.size_greater_on = 1;
  s.size_greater = 100;
  EXPECT_TRUE(passes_size_filter(s, 100));
  EXPECT_FALSE(passes_size_filter(s, 99));
  s.size_less_on = 1;
  s.size_less = 100;
  EXPECT_TRUE(passes_size_filter(s, 100));
  EXPECT_FALSE(passes_size_filter(s, 101));
  s.size_greater = 200;
  EXPECT_FALSE(passes_size_filter(s, 150));
  EXPECT_FALSE(passes_size_filter(s, 100));
  s.size_greater_on = 0;
  EXPECT_TRUE(passes_size_filter(s, 0));
}

}  // namespace
}  // namespace mailsift::test
