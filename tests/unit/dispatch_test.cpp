#include "walk/dispatch.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "unit/fake_file_system.h"
#include "unit/recording_consumer.h"
#include "unit/scratch_dir.h"
#include "walk/file_times.h"

namespace mailsift {
namespace {

// 2013-08-21 11:04:06.789 UTC as a file time.
constexpr platform::FileTime kAugust2013 =
    (1377083046ULL + platform::kFileTimeEpochOffset) * 10000000ULL + 7890000ULL;

TEST(ModificationTime, BreaksDownTheWriteTime) {
  platform::EntryInfo entry;
  entry.write_time = kAugust2013;
  const ModTime t = modification_time(entry, true);
  EXPECT_EQ(t.month, 8);
  EXPECT_EQ(t.day, 21);
  EXPECT_EQ(t.year, 2013);
  EXPECT_EQ(t.hour, 11);
  EXPECT_EQ(t.minute, 4);
  // A zero time, one beyond any calendar and any time inside 1601 are all
  // shown as the zero time: month 0, day 0, year 1980, midnight; also in
  // local time, whichever side of Greenwich the zone lies.
  for (const platform::FileTime raw : {0ULL, 0x8000000000000000ULL, 36000000000ULL}) {
    entry.write_time = raw;
    for (const bool utc : {true, false}) {
      const ModTime zero = modification_time(entry, utc);
      EXPECT_EQ(zero.year, 1980) << raw;
      EXPECT_EQ(zero.month, 0) << raw;
      EXPECT_EQ(zero.day, 0) << raw;
      EXPECT_EQ(zero.hour, 0) << raw;
      EXPECT_EQ(zero.minute, 0) << raw;
    }
  }
}

class DispatchTest : public ::testing::Test {
 protected:
  Stop dispatch(const platform::Directory& dir, const std::string& name,
                const platform::EntryInfo* known) {
    WalkContext walk{options_, lists_, fs_, clock_, skip_set_, counts_, &consumer_};
    walk.selected.sequence = consumer_.paths.size();
    const Stop stop = dispatch_file(walk, dir, "/d/", name, known);
    seen_ = consumer_.paths;
    sizes_ = consumer_.sizes;
    years_ = consumer_.years;
    return stop;
  }
  // Dispatches a listed name in /d the way the file list does (no facts known).
  void dispatch_listed(const std::string& name) {
    const platform::Directory dir = platform::open_directory(fs_, "/d");
    ASSERT_TRUE(dir.is_open());
    dispatch(dir, name, nullptr);
  }

  test::FakeFileSystem fs_;
  WalkOptions options_;
  RunLists lists_;
  testing_support::FixedClock clock_;
  std::vector<platform::FileIdentity> skip_set_;
  WalkCounts counts_;
  std::vector<std::string> seen_;
  std::vector<std::int64_t> sizes_;
  std::vector<int> years_;
  test::RecordingConsumer consumer_;
};

TEST_F(DispatchTest, LooksUpListedNames) {
  fs_.add_file("/d/b.eml", 20);
  fs_.add_file("/d/A.eml", 10);
  fs_.add_file("/d/c.txt", 30);
  fs_.add_dir("/d/sub.eml");
  fs_.add_other("/d/pipe");
  fs_.facts("/d/b.eml").write_time = kAugust2013;
  options_.utc_times = true;
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
  EXPECT_EQ(consumer_.files, 3);
  // Only regular files are opened for the scanner; sequence numbers follow
  // the report order.
  EXPECT_EQ(consumer_.opened, (std::vector<bool>{true, true, true, false}));
  EXPECT_EQ(consumer_.sequences, (std::vector<std::uint64_t>{0, 1, 2, 3}));
  EXPECT_EQ(fs_.open_handles(), 0);
}

TEST_F(DispatchTest, UsesTheWalksFactsWithoutLookingAgain) {
  fs_.add_dir("/d");
  platform::EntryInfo known;
  known.type = platform::EntryType::kDangling;
  known.size = 7;
  dispatch(platform::open_directory(fs_, "/d"), "gone.eml", &known);
  EXPECT_EQ(seen_, (std::vector<std::string>{"/d/gone.eml"}));
  EXPECT_EQ(sizes_, (std::vector<std::int64_t>{7}));
  EXPECT_EQ(consumer_.files, 1);
}

TEST_F(DispatchTest, AttributeChange) {
  fs_.add_file("/d/a.eml");
  fs_.add_file("/d/ro.eml");
  fs_.facts("/d/ro.eml").attributes = platform::kAttrReadOnly;
  AttributeChange& change = options_.attributes;
  change.on = true;
  change.added = platform::kAttrReadOnly | platform::kAttrHidden;
  change.removed = platform::kAttrHidden;
  dispatch_listed("a.eml");
  change.added = 0;
  change.removed = platform::kAttrReadOnly;
  dispatch_listed("ro.eml");
  // One write each, of the final value: added bits first, removed bits last.
  ASSERT_EQ(fs_.attribute_writes.size(), 2u);
  EXPECT_EQ(fs_.attribute_writes[0].first, "a.eml");
  EXPECT_EQ(fs_.attribute_writes[0].second, platform::kAttrReadOnly);
  EXPECT_EQ(fs_.attribute_writes[1].first, "ro.eml");
  EXPECT_EQ(fs_.attribute_writes[1].second, 0u);
  EXPECT_EQ(seen_.size(), 2u);

  // The depth-limit mode changes attributes but reports no file.
  change.directories_only = true;
  fs_.add_dir("/d/sub");
  dispatch_listed("a.eml");
  dispatch_listed("sub");
  EXPECT_EQ(fs_.attribute_writes.size(), 4u);
  EXPECT_EQ(seen_, (std::vector<std::string>{"/d/a.eml", "/d/ro.eml", "/d/sub"}));
  EXPECT_EQ(consumer_.files, 2);
}

TEST_F(DispatchTest, SkipsTheRunsOwnFilesWhenListed) {
  fs_.add_file("/d/report.txt");
  const platform::EntryInfo& report = fs_.facts("/d/report.txt");
  skip_set_.push_back({report.device, report.inode});
  dispatch_listed("report.txt");
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(consumer_.files, 0);
}

}  // namespace
}  // namespace mailsift
