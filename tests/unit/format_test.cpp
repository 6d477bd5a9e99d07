#include "util/count_format.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

#include "util/numbers.h"
#include "app/terminate.h"

namespace mailsift {
namespace {

TEST(FormatCount, GroupsOfThree) {
  EXPECT_EQ(format_count(0), "0");
  EXPECT_EQ(format_count(999), "999");
  EXPECT_EQ(format_count(1000), "1,000");
  EXPECT_EQ(format_count(1234), "1,234");
  EXPECT_EQ(format_count(1234567), "1,234,567");
  EXPECT_EQ(format_count(4294967295u), "4,294,967,295");
}

TEST(FormatBytes, NegativeAndExtremes) {
  EXPECT_EQ(format_bytes(-1234), "-1,234");
  EXPECT_EQ(format_bytes(-1), "-1");
  EXPECT_EQ(format_bytes(123456), "123,456");
  EXPECT_EQ(format_bytes(std::numeric_limits<std::int64_t>::min()), "-9,223,372,036,854,775,808");
  // The buffer form gives the same text without allocating.
  char buffer[kGroupedNumberSize];
  EXPECT_EQ(format_bytes(std::numeric_limits<std::int64_t>::min(), buffer),
            "-9,223,372,036,854,775,808");
  EXPECT_EQ(format_bytes(1000, buffer), "1,000");
  EXPECT_EQ(format_bytes(0, buffer), "0");
  EXPECT_EQ(format_bytes(std::numeric_limits<std::int64_t>::max()), "9,223,372,036,854,775,807");
}

TEST(Summary, DirectoryLineUsesYOnlyForExactlyOne) {
  EXPECT_EQ(directories_line(0, 0), "\n  0 directories, 0 files\n");
  EXPECT_EQ(directories_line(1, 3), "\n  1 directory, 3 files\n");
  EXPECT_EQ(directories_line(3, 12), "\n  3 directories, 12 files\n");
}

TEST(Summary, ElapsedSplitsHoursMinutesSeconds) {
  EXPECT_EQ(elapsed_text(3725), " 1 hrs. 2 mins. 5 secs.\n");
  EXPECT_EQ(elapsed_text(0), " 0 hrs. 0 mins. 0 secs.\n");
}

TEST(Summary, ReasonTable) {
  EXPECT_STREQ(exit_reason(0), "NORMAL_EXIT");
  EXPECT_STREQ(exit_reason(1), "NORMAL_EXIT");
  EXPECT_STREQ(exit_reason(2), "USER_ABORTED");
  EXPECT_STREQ(exit_reason(6), "ILLEGAL or INCOMPLETE OPTION");
  EXPECT_STREQ(exit_reason(9), "WRITE_ERROR");
  EXPECT_STREQ(exit_reason(10), "");
}

TEST(Numbers, SaturateInsteadOfWrapping) {
  EXPECT_EQ(read_int32("  99999999999"), 2147483647);
  EXPECT_EQ(read_int32("-99999999999"), -2147483647 - 1);
  EXPECT_EQ(read_int32(" +12abc"), 12);
  EXPECT_EQ(read_int32("abc"), 0);
  EXPECT_EQ(read_int32("-"), 0);
  EXPECT_EQ(read_int64("99999999999999999999"), std::numeric_limits<std::int64_t>::max());
  EXPECT_EQ(read_int64("-9223372036854775808"), std::numeric_limits<std::int64_t>::min());
}

}  // namespace
}  // namespace mailsift
