#include "walk/walk.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "config/run_lists.h"
#include "platform/platform.h"
#include "unit/fake_file_system.h"
#include "unit/recording_consumer.h"
#include "unit/scratch_dir.h"

namespace mailsift {
namespace {

using Paths = std::vector<std::string>;

class WalkTest : public ::testing::Test {
 protected:
  void TearDown() override { platform::set_interrupted(false); }

  // Walks every root of the list as the run sequence does.
  void walk(const Paths& roots) {
    for (const std::string& root : roots) walk_root(root == "/" ? root : root + "/");
    EXPECT_EQ(fs_.open_handles(), 0);
  }
  Stop walk_root(const std::string& root) {
    WalkContext walk{
        options_, lists_, fs_, clock_, skip_set_, counts_, counting_ ? nullptr : &consumer_};
    walk.measure_paths = measure_paths_;
    const Stop stop = walk_directory(walk, root);
    EXPECT_EQ(walk.depth, 0);
    seen_ = consumer_.paths;
    return stop;
  }
  void patterns(const Paths& list) { lists_.name_patterns = list; }

  test::FakeFileSystem fs_;
  WalkOptions options_;
  RunLists lists_;
  testing_support::FixedClock clock_;
  std::vector<platform::FileIdentity> skip_set_;
  WalkCounts counts_;
  bool measure_paths_ = false;
  Paths seen_;
  test::RecordingConsumer consumer_;
  bool counting_ = false;
};

TEST_F(WalkTest, SubdirectoriesBeforeFilesInNameOrder) {
  fs_.add_file("/r/y.eml");
  fs_.add_file("/r/a/x.eml");
  fs_.add_file("/r/B.eml");
  fs_.add_file("/r/_c.eml");
  fs_.add_file("/r/a/deep/z.eml");
  fs_.add_file("/r/Z/w.eml");
  patterns({"*.*"});
  walk({"/r"});
  EXPECT_EQ(seen_, (Paths{"/r/a/deep/z.eml", "/r/a/x.eml", "/r/Z/w.eml", "/r/B.eml", "/r/y.eml",
                          "/r/_c.eml"}));
  EXPECT_EQ(counts_.dir_count, 3);
  EXPECT_EQ(consumer_.files, 6);
}

TEST_F(WalkTest, DirectoryCounts) {
  // Three subdirectories, one holding two more: five.
  fs_.add_dir("/r/one");
  fs_.add_dir("/r/two/x");
  fs_.add_dir("/r/two/y");
  fs_.add_dir("/r/three");
  fs_.add_file("/bare/m.eml");
  patterns({"*.*"});
  walk({"/r"});
  EXPECT_EQ(counts_.dir_count, 5);
  counts_.dir_count = 0;
  walk({"/bare"});
  EXPECT_EQ(counts_.dir_count, 0);

  // Recursion off: the files of each root only, one directory per root.
  counts_.dir_count = 0;
  consumer_.paths.clear();
  seen_.clear();
  fs_.add_file("/r/top.eml");
  fs_.add_file("/r/one/inner.eml");
  options_.recurse = false;
  walk({"/r", "/bare"});
  EXPECT_EQ(seen_, (Paths{"/r/top.eml", "/bare/m.eml"}));
  EXPECT_EQ(counts_.dir_count, 2);
}

TEST_F(WalkTest, EveryPatternIsItsOwnPass) {
  fs_.add_file("/r/a.eml");
  fs_.add_file("/r/b.txt");
  fs_.add_file("/r/README");
  fs_.add_file("/r/C.EML");
  fs_.add_file("/r/old.eml/kept.eml");
  patterns({"*.eml", "*.*", "-stop", "*.txt"});
  walk({"/r"});
  // old.eml is a directory: walked, never dispatched itself.
  EXPECT_EQ(seen_, (Paths{"/r/old.eml/kept.eml", "/r/old.eml/kept.eml", "/r/a.eml", "/r/C.EML",
                          "/r/a.eml", "/r/b.txt", "/r/C.EML", "/r/README"}));
  EXPECT_EQ(counts_.dir_count, 1);
  EXPECT_EQ(consumer_.files, 8);
}

TEST_F(WalkTest, DepthLimit) {
  fs_.add_file("/r/1.eml");
  fs_.add_file("/r/a/2.eml");
  fs_.add_file("/r/a/b/3.eml");
  fs_.add_file("/r/a/b/c/4.eml");
  patterns({"*.*"});
  options_.depth_limit = 3;  // depths 1 and 2
  walk({"/r"});
  EXPECT_EQ(seen_, (Paths{"/r/a/2.eml", "/r/1.eml"}));
  // b was found, so it counts, though the limit kept the walk out of it.
  EXPECT_EQ(counts_.dir_count, 2);

  consumer_.paths.clear();
  seen_.clear();
  counts_.dir_count = 0;
  options_.depth_limit = 1;  // a depth limit of 0 walks nothing
  walk({"/r"});
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(counts_.dir_count, 0);
}

TEST_F(WalkTest, ExclusionsApplyOnlyWhenSwitchedOn) {
  fs_.add_file("/r/a.tmp");
  fs_.add_file("/r/b.TMP");
  fs_.add_file("/r/c.eml");
  patterns({"*.*"});
  add_exclusion(lists_, "*.tmp");
  walk({"/r"});
  EXPECT_EQ(seen_.size(), 3u);
  consumer_.paths.clear();
  seen_.clear();
  options_.exclusions_on = true;
  walk({"/r"});
  EXPECT_EQ(seen_, (Paths{"/r/c.eml"}));
}

TEST_F(WalkTest, LinksDanglingEntriesAndSpecialFiles) {
  fs_.add_file("/r/a/m.eml");
  fs_.add_link("/r/a/loop", "/r");  // leads back up: counted, not entered
  fs_.add_link("/r/b", "/r/a");     // a second way into a: entered
  fs_.add_dangling("/r/gone.eml");
  fs_.add_other("/r/fifo.eml");
  fs_.add_other("/dev/null");
  fs_.add_link("/r/null.eml", "/dev/null");
  fs_.add_link("/r/self", "/r/self");  // a link to itself never resolves
  fs_.add_dir("/r/locked");
  fs_.add_file("/r/locked/hidden.eml");
  fs_.set_unreadable("/r/locked");
  fs_.add_file("/r/z.eml");
  patterns({"*.*"});
  walk({"/r"});
  EXPECT_EQ(seen_, (Paths{"/r/a/m.eml", "/r/b/m.eml", "unreadable /r/locked (Permission denied)",
                          "/r/gone.eml", "/r/self", "/r/z.eml"}));
  // a, a/loop, b, b/loop and the locked directory.
  EXPECT_EQ(counts_.dir_count, 5);
}

TEST_F(WalkTest, CountingPassTotals) {
  fs_.add_file("/r/a.eml", 100);
  fs_.add_file("/r/sub/caf\xC3\xA9.eml", 23);
  fs_.add_file("/r/x.tmp", 1000);
  patterns({"*.eml", "*.*"});
  add_exclusion(lists_, "*.TMP");
  options_.exclusions_on = true;
  measure_paths_ = true;
  counting_ = true;
  walk({"/r"});
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(counts_.dir_count, 0);
  // Each pattern counts its matches; exclusions do not apply here.
  EXPECT_EQ(counts_.pre_count, 5u);
  EXPECT_EQ(counts_.pre_bytes, 100 + 23 + 100 + 23 + 1000);
  // "/r/sub/" and "café.eml": 7 + 8 characters.
  EXPECT_EQ(counts_.longest_path, 15u);

  counting_ = false;
  walk({"/r"});
  EXPECT_EQ(seen_,
            (Paths{"/r/sub/caf\xC3\xA9.eml", "/r/sub/caf\xC3\xA9.eml", "/r/a.eml", "/r/a.eml"}));
  EXPECT_EQ(counts_.pre_count, 5u);
}

TEST_F(WalkTest, OwnOutputFilesAreNeverListed) {
  fs_.add_file("/r/report.txt", 10);
  fs_.add_file("/r/m.eml", 20);
  const platform::EntryInfo& report = fs_.facts("/r/report.txt");
  skip_set_.push_back({report.device, report.inode});
  patterns({"*.*"});
  walk({"/r"});
  EXPECT_EQ(seen_, (Paths{"/r/m.eml"}));
  counting_ = true;
  walk({"/r"});
  EXPECT_EQ(counts_.pre_count, 1u);
  EXPECT_EQ(counts_.pre_bytes, 20);
}

TEST_F(WalkTest, RootsThatCannotBeOpenedAreSkipped) {
  fs_.add_file("/r/m.eml");
  fs_.add_file("/plainfile");
  patterns({"*.*"});
  walk({"/missing", "/plainfile", "/", "/r"});
  // The file-system root is walked like any directory, with no doubled "/".
  EXPECT_EQ(seen_, (Paths{"/r/m.eml", "/plainfile", "/r/m.eml"}));
  EXPECT_EQ(counts_.dir_count, 1);
}

// A directory that cannot be read goes to the consumer in its place in the
// walk, with the reason; one that is gone or on a kernel file system does not.
TEST_F(WalkTest, UnreadableDirectoriesTakeTheirPlaceInTheWalk) {
  using Fault = test::FakeFileSystem::Fault;
  struct Case {
    Fault fault;
    const char* notice;  // null: passed over silently
  };
  const Case cases[] = {
      {Fault::kDenied, "unreadable /r/b (Permission denied)"},
      {Fault::kListing, "unreadable /r/b (Input/output error)"},
      {Fault::kGone, nullptr},
      {Fault::kKernel, nullptr},
  };
  fs_.add_file("/r/a/1.eml");
  fs_.add_file("/r/b/2.eml");
  fs_.add_file("/r/c/3.eml");
  fs_.add_file("/r/4.eml");
  patterns({"*.*"});
  for (const Case& c : cases) {
    SCOPED_TRACE(c.notice == nullptr ? "silent" : c.notice);
    fs_.set_fault("/r/b", c.fault);
    consumer_.paths.clear();
    walk({"/r"});
    Paths expected = {"/r/a/1.eml"};
    if (c.notice != nullptr) expected.push_back(c.notice);
    expected.insert(expected.end(), {"/r/c/3.eml", "/r/4.eml"});
    EXPECT_EQ(seen_, expected);
  }
  // A root that cannot be read is reported too, one that is missing is not.
  fs_.set_fault("/r", Fault::kDenied);
  consumer_.paths.clear();
  walk({"/missing", "/r"});
  EXPECT_EQ(seen_, (Paths{"unreadable /r (Permission denied)"}));
}

TEST_F(WalkTest, InterruptStopsTheWalkWithHandlesClosed) {
  fs_.add_file("/r/a/b/m.eml");
  patterns({"*.*"});
  platform::set_interrupted(true);
  EXPECT_EQ(walk_root("/r/"), Stop::kInterrupted);
  EXPECT_TRUE(seen_.empty());
  EXPECT_EQ(fs_.open_handles(), 0);
}

TEST_F(WalkTest, ConsumerStopEndsTheWalkWithHandlesClosed) {
  fs_.add_file("/r/a/b/m.eml");
  fs_.add_file("/r/a/n.eml");
  patterns({"*.*"});
  consumer_.stop_with = Stop::kWriteError;
  EXPECT_EQ(walk_root("/r/"), Stop::kWriteError);
  EXPECT_EQ(seen_, (Paths{"/r/a/b/m.eml"}));
  EXPECT_EQ(fs_.open_handles(), 0);
}

}  // namespace
}  // namespace mailsift
