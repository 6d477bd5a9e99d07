// The real file system's listing with types and its one-step look at a
// regular file: what the walk trusts instead of a stat per entry.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "unit/scratch_dir.h"

namespace mailsift {
namespace {

using platform::EntryType;
using platform::ListedType;
using testing_support::ScratchDir;
using testing_support::write_bytes;

TEST(PosixListing, TypesComeFromTheListingAndTheLookOpensTheFile) {
  ScratchDir dir;
  write_bytes(dir / "b.eml", "Subject: x\n");
  ASSERT_EQ(::mkfifo((dir / "a.fifo").c_str(), 0600), 0);
  ASSERT_EQ(::mkdir((dir / "C").c_str(), 0700), 0);
  ASSERT_EQ(::symlink("b.eml", (dir / "d.link").c_str()), 0);

  platform::FileSystem& fs = platform::real_file_system();
  const int handle = fs.open_directory(dir.path());
  ASSERT_GE(handle, 0);
  std::vector<platform::ListedEntry> listed;
  ASSERT_TRUE(fs.list_entries(handle, listed));
  struct Want {
    const char* name;
    ListedType type;
  };
  // Name order as list_directory gives it; a link and a directory are left
  // for a stat to tell.
  const Want want[] = {{"a.fifo", ListedType::kOther},
                       {"b.eml", ListedType::kRegular},
                       {"C", ListedType::kUnknown},
                       {"d.link", ListedType::kUnknown}};
  ASSERT_EQ(listed.size(), std::size(want));
  for (std::size_t i = 0; i < listed.size(); ++i) {
    EXPECT_EQ(listed[i].name, want[i].name);
    EXPECT_EQ(listed[i].type, want[i].type) << want[i].name;
  }

  platform::EntryInfo looked;
  platform::EntryInfo stated;
  int opened = -1;
  ASSERT_TRUE(fs.look_at_regular(handle, "b.eml", looked, opened));
  ASSERT_GE(opened, 0);
  ASSERT_TRUE(fs.stat_entry(handle, "b.eml", stated));
  EXPECT_EQ(looked.type, EntryType::kRegular);
  EXPECT_EQ(looked.size, 11);
  EXPECT_EQ(looked.write_time, stated.write_time);
  EXPECT_EQ(looked.inode, stated.inode);
  EXPECT_EQ(looked.device, stated.device);
  char bytes[32];
  EXPECT_EQ(fs.read_file(opened, bytes, sizeof bytes), 11);
  fs.close_file(opened);

  // Swapped for a FIFO since the listing: looked at, never left open.
  ASSERT_EQ(::unlink((dir / "b.eml").c_str()), 0);
  ASSERT_EQ(::mkfifo((dir / "b.eml").c_str(), 0600), 0);
  ASSERT_TRUE(fs.look_at_regular(handle, "b.eml", looked, opened));
  EXPECT_EQ(opened, -1);
  EXPECT_EQ(looked.type, EntryType::kOther);
  // Gone since the listing.
  EXPECT_FALSE(fs.look_at_regular(handle, "gone.eml", looked, opened));
  EXPECT_EQ(opened, -1);
  fs.close_directory(handle);
}

// Letters compare in upper case, a shorter name before a longer one it begins
// with, and names equal but for case by their raw bytes; past the eighth byte
// as before it.
// Why a directory did not open: gone and kernel file systems are passed over,
// anything else is reported with the system's words.
TEST(PosixListing, DirectoryFailuresAreToldApart) {
  ScratchDir dir;
  write_bytes(dir / "file.eml", "x");
  ASSERT_EQ(::mkdir((dir / "locked").c_str(), 0), 0);
  ASSERT_EQ(::symlink("/proc", (dir / "proc").c_str()), 0);
  struct Case {
    const char* name;
    platform::DirectoryFailure failure;
    const char* reason;
  };
  const Case cases[] = {
      {"missing", platform::DirectoryFailure::kGone, ""},
      {"file.eml", platform::DirectoryFailure::kGone, ""},
      {"proc", platform::DirectoryFailure::kNotEntered, ""},
      // Permissions deny root nothing.
      {::geteuid() == 0 ? nullptr : "locked", platform::DirectoryFailure::kUnreadable,
       "Permission denied"},
  };
  platform::FileSystem& fs = platform::real_file_system();
  const int handle = fs.open_directory(dir.path());
  ASSERT_GE(handle, 0);
  for (const Case& c : cases) {
    if (c.name == nullptr) continue;
    SCOPED_TRACE(c.name);
    EXPECT_EQ(fs.open_subdirectory(handle, c.name), -1);
    std::string reason = "stale";
    EXPECT_EQ(fs.directory_failure(reason), c.failure);
    EXPECT_EQ(reason, c.reason);
  }
  fs.close_directory(handle);
}

TEST(PosixListing, EntryOrder) {
  const char* const order[] = {"A",         "a",         "aB",        "ab", "abcdefgh", "ABCDEFGHa",
                               "abcdefghZ", "abcdefgh[", "abcdefgh_", "B",  "_x"};
  ScratchDir dir;
  for (const char* name : order) write_bytes(dir / name, "");
  platform::FileSystem& fs = platform::real_file_system();
  const int handle = fs.open_directory(dir.path());
  ASSERT_GE(handle, 0);
  std::vector<platform::ListedEntry> listed;
  ASSERT_TRUE(fs.list_entries(handle, listed));
  fs.close_directory(handle);
  ASSERT_EQ(listed.size(), std::size(order));
  for (std::size_t i = 0; i < listed.size(); ++i) EXPECT_EQ(listed[i].name, order[i]) << i;
  std::vector<std::string> names(std::rbegin(order), std::rend(order));
  platform::sort_entry_names(names);
  EXPECT_TRUE(std::equal(names.begin(), names.end(), std::begin(order)));
}

}  // namespace
}  // namespace mailsift
