#include "walk/age_filter.h"

#include <gtest/gtest.h>

#include "config/age_values.h"
#include "unit/config_test_support.h"
#include "util/calendar.h"

namespace mailsift::test {
namespace {

class AgeFilterTest : public ::testing::Test {
 protected:
  AgeFilterTest() : utc_("UTC"), clock_(local_seconds(2005, 12, 10, 12, 0)) {
    set_default_bounds(age_, clock_);
  }
  platform::EntryInfo written(int year, int month, int day, int hour = 12, int minute = 0,
                              int second = 0) {
    platform::EntryInfo e;
    e.write_time = file_time_of(local_seconds(year, month, day, hour, minute, second));
    return e;
  }
  void limit(const char* value, bool older) {
    age_.on = true;
    (older ? age_.older_given : age_.newer_given) = true;
    store_age_value(age_, clock_, value, older);
  }
  bool passes(const platform::EntryInfo& e) { return passes_age_filter(age_, clock_, e); }

  ScopedTimeZone utc_;
  FixedClock clock_;
  AgeFilter age_;
};

TEST_F(AgeFilterTest, DefaultBounds) {
  EXPECT_EQ(age_.newer_bound, file_time_of(local_seconds(1980, 1, 1)));
  EXPECT_EQ(age_.older_bound, file_time_of(local_seconds(2005, 12, 10, 23, 59, 59)));
  EXPECT_TRUE(passes(written(1970, 1, 1)));  // no limit in force
}

TEST_F(AgeFilterTest, DayCounts) {
  limit("10", true);
  EXPECT_TRUE(passes(written(2005, 11, 30, 23, 59)));  // ten calendar days ago
  EXPECT_FALSE(passes(written(2005, 12, 1, 0, 0)));    // nine
  EXPECT_FALSE(passes(written(1984, 1, 15)));          // 8000 days: the newer default
  EXPECT_TRUE(passes(written(1984, 1, 16)));           // 7999 days
  EXPECT_EQ(age_in_days(clock_, written(1984, 1, 15), 'w'), 8000);
}

TEST_F(AgeFilterTest, NewerDayCount) {
  limit("1", false);
  EXPECT_TRUE(passes(written(2005, 12, 10, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 12, 9, 23, 59)));
  EXPECT_FALSE(passes(written(2005, 12, 11, 0, 0)));  // tomorrow: age -1
}

TEST_F(AgeFilterTest, TimeLetterChoosesTheTime) {
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

TEST_F(AgeFilterTest, OlderDateWithoutLetterCountsDays) {
  limit("12-05-2005", true);
  EXPECT_TRUE(passes(written(2005, 12, 5, 18, 0)));  // the date itself is counted
  EXPECT_FALSE(passes(written(2005, 12, 6, 0, 0)));
}

TEST_F(AgeFilterTest, OlderDateWithLetterUsesWindow) {
  limit("12-05-2005w", true);
  EXPECT_FALSE(passes(written(2005, 12, 5, 0, 0, 1)));
  EXPECT_FALSE(passes(written(2005, 12, 5, 0, 0, 0)));  // strictly below the bound
  EXPECT_TRUE(passes(written(2005, 12, 4, 23, 59, 59)));
  EXPECT_FALSE(passes(written(1979, 12, 31)));  // below the default lower end
  platform::EntryInfo at_lower;
  at_lower.write_time = age_.newer_bound;
  EXPECT_FALSE(passes(at_lower));
  at_lower.write_time += 1;  // one 100-nanosecond step later
  EXPECT_TRUE(passes(at_lower));
}

TEST_F(AgeFilterTest, NewerDate) {
  limit("10-20-2005", false);
  EXPECT_TRUE(passes(written(2005, 10, 21, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 10, 20, 23, 0)));
  age_ = AgeFilter{};
  set_default_bounds(age_, clock_);
  limit("10-20-2005w", false);
  EXPECT_TRUE(passes(written(2005, 10, 20, 0, 0, 1)));
  EXPECT_FALSE(passes(written(2005, 10, 20, 0, 0, 0)));
  EXPECT_FALSE(passes(written(2005, 12, 11, 0, 0, 0)));  // after today 23:59:59
}

TEST_F(AgeFilterTest, AnyRecordedLetterMayMatch) {
  limit("10-20-2005acw", false);
  platform::EntryInfo e = written(2005, 1, 1);
  EXPECT_FALSE(passes(e));
  e.creation_time = file_time_of(local_seconds(2005, 11, 1));
  EXPECT_TRUE(passes(e));
  e.creation_time = 0;
  e.access_time = file_time_of(local_seconds(2005, 11, 1));
  EXPECT_TRUE(passes(e));
}

TEST_F(AgeFilterTest, LetterTurnsDayLimitsOff) {
  limit("12-05-2005w", true);
  limit("30", false);
  EXPECT_TRUE(passes(written(2005, 11, 1)));  // 39 days old, yet inside the window
}

TEST_F(AgeFilterTest, TwoDigitYearWindowIsEmpty) {
  limit("12-05-05w", true);
  EXPECT_EQ(age_.older_bound, to_file_time(-1));
  EXPECT_FALSE(passes(written(1990, 1, 1)));
  EXPECT_FALSE(passes(written(2005, 1, 1)));
}

TEST_F(AgeFilterTest, LetterWithoutLimitFlagsMeansNoTest) {
  age_.on = true;
  age_.write_marked = true;
  EXPECT_TRUE(passes(written(1970, 1, 1)));
}

TEST_F(AgeFilterTest, MismatchedConversions) {
  limit("2005-12-05", true);
  EXPECT_EQ(age_.older_bound, file_time_of(local_seconds(2005, 12, 5)));
  EXPECT_EQ(age_.older_than, Days{-9});
  limit("12/5/2005", false);
  EXPECT_EQ(age_.newer_bound, to_file_time(-1));  // 5 December 1900
  EXPECT_EQ(age_.newer_than, Days{5});
  limit("1-5-2005", false);
  EXPECT_EQ(age_.newer_bound, file_time_of(local_seconds(2005, 1, 5)));
  EXPECT_EQ(age_.newer_than, Days{339});
}

TEST(SizeFilter, InclusiveBounds) {
  struct Case {
    std::optional<std::int64_t> at_least, at_most;
    std::int64_t size;
    bool passes;
  };
  const Case cases[] = {
      {{}, {}, -5, true},    {100, {}, 100, true},   {100, {}, 99, false}, {100, 100, 100, true},
      {{}, 100, 101, false}, {200, 100, 150, false}, {{}, 100, 0, true},   {0, {}, -1, false},
  };
  for (const Case& c : cases) {
    WalkOptions options;
    options.min_size = c.at_least;
    options.max_size = c.at_most;
    EXPECT_EQ(passes_size_filter(options, c.size), c.passes) << c.size;
  }
}

}  // namespace
}  // namespace mailsift::test
