#include "walk/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/settings.h"
#include "walk/file_times.h"
#include "platform/platform.h"
#include "app/run_context.h"
#include "unit/fake_file_system.h"

namespace mailsift {
namespace {

// 2013-08-21 11:04:06.789 UTC as a file time.
constexpr platform::FileTime kAugust2013 =
    (1377083046ULL + platform::kFileTimeEpochOffset) * 10000000ULL + 7890000ULL;

TEST(FillFileTimes, BreaksDownEachTimeAndKeepsTheRawValues) {
  platform::EntryInfo entry;
  entry.write_time = kAugust2013;
  entry.access_time = 0;
  entry.creation_time = 0x8000000000000000ULL;  // beyond any calendar
  const FileTimes t = fill_file_times(entry, true);
  EXPECT_EQ(t.last_write.month, 8);
  EXPECT_EQ(t.last_write.day, 21);
  EXPECT_EQ(t.last_write.year, 2013);
  EXPECT_EQ(t.last_write.hour, 11);
  EXPECT_EQ(t.last_write.minute, 4);
  EXPECT_EQ(t.last_write.second, 6);
  EXPECT_EQ(t.last_write.millisecond, 789);
  // A zero time: month 0, day 0, year 1980, midnight.
  EXPECT_EQ(t.last_access.month, 0);
  EXPECT_EQ(t.last_access.day, 0);
  EXPECT_EQ(t.last_access.year, 1980);
  EXPECT_EQ(t.last_access.hour, 0);
  EXPECT_EQ(t.last_access.minute, 0);
  EXPECT_EQ(t.last_access.second, 0);
  // A time that cannot be converted is shown as the zero time.
  EXPECT_EQ(t.creation.year, 1980);
  EXPECT_EQ(t.creation.hour, 0);
  EXPECT_EQ(t.write_raw, kAugust2013);
  EXPECT_EQ(t.access_raw, 0u);
  EXPECT_EQ(t.creation_raw, 0x8000000000000000ULL);
  // Also in local time, whichever side of Greenwich the zone lies.
  const FileTimes local = fill_file_times(entry, false);
  EXPECT_EQ(local.last_access.year, 1980);
  EXPECT_EQ(local.last_access.month, 0);
  EXPECT_EQ(local.last_access.hour, 0);
  // Any time inside 1601 is the zero time as well.
  entry.write_time = 36000000000ULL;  // 1601-01-01 01:00 UTC
  const FileTimes early = fill_file_times(entry, true);
  EXPECT_EQ(early.last_write.year, 1980);
  EXPECT_EQ(early.last_write.month, 0);
  EXPECT_EQ(early.last_write.hour, 0);
}

class DispatchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.attach_test_streams(&out_, &err_, &report_);
    ctx_.fs = &fs_;
    apply_program_defaults(ctx_.settings);
    ctx_.counting_flag = false;
    ctx_.dispatch_hook = [this](const std::string& path, std::int64_t size, const FileTimes& t) {
      seen_.push_back(path);
      sizes_.push_back(size);
      years_.push_back(t.last_write.year);
    };
  }
  // Dispatches a listed name in /d the way the file list does (no facts known).
  void dispatch_listed(const std::string& name) {
    const int dir = fs_.open_directory("/d");
    ASSERT_GE(dir, 0);
    dispatch_file(ctx_, dir, "/d/", name, nullptr);
    fs_.close_directory(dir);
  }

  test::FakeFileSystem fs_;
  RunContext ctx_;
  std::string out_, err_, report_;
  std::vector<std::string> seen_;
  std::vector<std::int64_t> sizes_;
  std::vector<int> years_;
};

TEST_F(DispatchTest, LooksUpListedNames) {
  fs_.add_file("/d/b.eml", 20);
  fs_.add_file("/d/A.eml", 10);
  fs_.add_file("/d/c.txt", 30);
  fs_.add_dir("/d/sub.eml");
  fs_.add_other("/d/pipe");
  fs_.facts("/d/b.eml").write_time = kAugust2013;
  ctx_.settings.zulu_time = 1;
  dispatch_listed("b.eml");
  dispatch_listed("missing.eml");
  dispatch_listed("pipe");
  // A wildcard that names no file stands for its first match in name order.
  dispatch_listed("*.eml");
  dispatch_listed("?.TXT");
  dispatch_listed("*.none");
  // A directory goes to the scanner but is not counted as a file.
  dispatch_listed("sub.eml");
  EXPECT_EQ(seen_, (std::vector<std::string>{"/d/b.eml", "/d/A.eml", "/d/c.txt", "/d/sub.eml"}));
  EXPECT_EQ(sizes_, (std::vector<std::int64_t>{20, 10, 30, 0}));
  EXPECT_EQ(years_[0], 2013);
  EXPECT_EQ(ctx_.file_count, 3);
}

TEST_F(DispatchTest, UsesTheWalksFactsWithoutLookingAgain) {
  fs_.add_dir("/d");
  platform::EntryInfo known;
  known.type = platform::EntryType::kDangling;
  known.size = 7;
  const int dir = fs_.open_directory("/d");
  dispatch_file(ctx_, dir, "/d/", "gone.eml", &known);
  fs_.close_directory(dir);
  EXPECT_EQ(seen_, (std::vector<std::string>{"/d/gone.eml"}));
  EXPECT_EQ(sizes_, (std::vector<std::int64_t>{7}));
  EXPECT_EQ(ctx_.file_count, 1);
}

TEST_F(DispatchTest, AttributeChange) {
  fs_.add_file("/d/a.eml");
  fs_.add_file("/d/ro.eml");
  fs_.facts("/d/ro.eml").attributes = platform::kAttrReadOnly;
  ctx_.settings.change_attributes = 1;
  ctx_.settings.attr_add_mask = platform::kAttrReadOnly | platform::kAttrHidden;
  ctx_.settings.attr_remove_mask = platform::kAttrHidden;
  dispatch_listed("a.eml");
  ctx_.settings.attr_add_mask = 0;
  ctx_.settings.attr_remove_mask = platform::kAttrReadOnly;
  dispatch_listed("ro.eml");
  // One write each, of the final value: added bits first, removed bits last.
  ASSERT_EQ(fs_.attribute_writes.size(), 2u);
  EXPECT_EQ(fs_.attribute_writes[0].first, "a.eml");
  EXPECT_EQ(fs_.attribute_writes[0].second, platform::kAttrReadOnly);
  EXPECT_EQ(fs_.attribute_writes[1].first, "ro.eml");
  EXPECT_EQ(fs_.attribute_writes[1].second, 0u);
  EXPECT_EQ(seen_.size(), 2u);

  // The depth-limit mode changes attributes but reports no file.
  ctx_.settings.dirsize_mode = 2;
  fs_.add_dir("/d/sub");
  dispatch_listed("a.eml");
  dispatch_listed("sub");
  EXPECT_EQ(fs_.attribute_writes.size(), 4u);
  EXPECT_EQ(seen_, (std::vector<std::string>{"/d/a.eml", "/d/ro.eml", "/d/sub"}));
  EXPECT_EQ(ctx_.file_count, 2);
}

TEST_F(DispatchTest, SkipsTheRunsOwnFilesWhenListed) {
  fs_.add_file("/d/report.txt");
  const platform::EntryInfo& report = fs_.facts("/d/report.txt");
  ctx_.skip_set.push_back({report.device, report.inode});
  dispatch_listed("report.txt");
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(ctx_.file_count, 0);
}

}  // namespace
}  // namespace mailsift
