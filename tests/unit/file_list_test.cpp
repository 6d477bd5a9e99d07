#include <gtest/gtest.h>

#include <filesystem>
#include <utility>
#include <vector>

#include "platform/platform.h"
#include "unit/recording_consumer.h"
#include "unit/scratch_dir.h"
#include "walk/walk.h"

namespace mailsift {
namespace {

using testing_support::FixedClock;
using testing_support::ScratchDir;
using testing_support::WorkingDir;
using testing_support::write_bytes;

// Records which directories are opened and which names are looked up in them;
// knows no file, so the dispatch passes every listed name over.
class RecordingFileSystem : public platform::FileSystem {
 public:
  int open_directory(const std::string& path) override {
    opened.push_back(path);
    return static_cast<int>(opened.size());
  }
  int open_subdirectory(int, const std::string&) override { return -1; }
  void close_directory(int) override { ++closed; }
  bool list_directory(int, std::vector<std::string>&) override { return false; }
  bool stat_entry(int dir, const std::string& name, platform::EntryInfo& info) override {
    // The skip test and the dispatch may both look the same name up.
    std::pair<std::string, std::string> lookup(opened.at(static_cast<std::size_t>(dir - 1)), name);
    if (looked_up.empty() || looked_up.back() != lookup) looked_up.push_back(lookup);
    if (name != "report.txt") return false;
    info.type = platform::EntryType::kRegular;
    info.device = 7;
    info.inode = 42;
    return true;
  }
  bool directory_identity(int, platform::FileIdentity&) override { return false; }
  int open_file(int, const std::string&) override { return -1; }
  std::ptrdiff_t read_file(int, char*, std::size_t) override { return 0; }
  void close_file(int) override {}
  bool set_attributes(int, const std::string&, std::uint32_t) override { return false; }

  std::vector<std::string> opened;
  std::vector<std::pair<std::string, std::string>> looked_up;
  int closed = 0;
};

class FileListTest : public ::testing::Test {
 protected:
  FileListTest() {
    // The skip test looks every listed name up, which shows what was listed.
    skip_set_.push_back({99, 99});
  }
  Stop read_list(const std::string& bytes) {
    write_bytes(dir_ / "list.txt", bytes);
    list_ = platform::File(platform::open_path(dir_ / "list.txt", platform::OpenMode::kRead));
    EXPECT_TRUE(list_.is_open());
    WorkingDir cwd(dir_.path());
    WalkContext walk{options_, lists_, fs_, clock_, skip_set_, counts_, &consumer_};
    return read_file_list(walk, list_);
  }
  using Listed = std::vector<std::pair<std::string, std::string>>;

  ScratchDir dir_;
  RecordingFileSystem fs_;
  WalkOptions options_;
  RunLists lists_;
  FixedClock clock_;
  std::vector<platform::FileIdentity> skip_set_;
  WalkCounts counts_;
  platform::File list_;
  test::RecordingConsumer consumer_;
};

TEST_F(FileListTest, LinesBecomeDirectoryAndName) {
  std::string cwd = std::filesystem::canonical(dir_.path()).string();
  read_list(
      "/mail/a.eml\r\n"
      "/mail/box/b.eml|1234|08-21-2013|From|To\n"
      "rel/c.eml   \n"
      "  lead.eml\n"
      "|only columns\n"
      "Filename|Size|File-(MOD)Date\n"
      "\"/mail/q.eml\",\"12\"\n"
      "/mail/last.eml");
  Listed want = {{"/mail/", "a.eml"},      {"/mail/box/", "b.eml"},
                 {cwd + "/rel/", "c.eml"}, {cwd + "/", "  lead.eml"},
                 {cwd + "/", "Filename"},  {cwd + "/\"/mail/", "q.eml\",\"12\""},
                 {"/mail/", "last.eml"}};
  EXPECT_EQ(fs_.looked_up, want);
  EXPECT_EQ(fs_.closed, static_cast<int>(fs_.opened.size()));
}

TEST_F(FileListTest, EmptyLineEndsTheList) {
  read_list("/m/one.eml\n\n/m/two.eml\n");
  EXPECT_EQ(fs_.looked_up, (Listed{{"/m/", "one.eml"}}));
  fs_.looked_up.clear();
  // A one-character last line without a line feed also ends it.
  read_list("/m/one.eml\nx");
  EXPECT_EQ(fs_.looked_up, (Listed{{"/m/", "one.eml"}}));
  fs_.looked_up.clear();
  // CR LF alone reads as an empty line.
  read_list("/m/one.eml\r\n\r\n/m/two.eml\n");
  EXPECT_EQ(fs_.looked_up, (Listed{{"/m/", "one.eml"}}));
}

TEST_F(FileListTest, SixteenBitListYieldsNoUsablePath) {
  std::string utf16 = "\xFF\xFE";
  for (char c : std::string("/m/a.eml\n/m/b.eml\n")) {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  read_list(utf16);
  // The byte-order mark and "/" are the text of the first line; the next line
  // begins with a zero byte and ends the list.
  ASSERT_LE(fs_.looked_up.size(), 1u);
  for (const auto& [dir, name] : fs_.looked_up) EXPECT_EQ(name.find(".eml"), std::string::npos);
}

TEST_F(FileListTest, OwnReportIsPassedOverAndDirectoriesReachTheDispatch) {
  skip_set_ = {{7, 42}};
  read_list("/out/report.txt\n/mail/\n/mail\n/missing/x.eml\n");
  // The trailing "/" leaves no name; "/mail" is a name in "/".
  EXPECT_EQ(fs_.opened, (std::vector<std::string>{"/out/", "/", "/missing/"}));
  EXPECT_EQ(fs_.looked_up,
            (Listed{{"/out/", "report.txt"}, {"/", "mail"}, {"/missing/", "x.eml"}}));
}

TEST_F(FileListTest, LongLinesAndInterrupt) {
  // A line longer than the buffer arrives in pieces, each a path of its own.
  std::string long_name(40000, 'n');
  read_list("/m/" + long_name + "\n/m/after.eml\n");
  ASSERT_EQ(fs_.looked_up.size(), 3u);
  EXPECT_EQ(fs_.looked_up[0].second.size(), 32767u - 3u);
  EXPECT_EQ(fs_.looked_up[2], std::make_pair(std::string("/m/"), std::string("after.eml")));

  fs_.looked_up.clear();
  platform::set_interrupted(true);
  const Stop stop = read_list("/m/one.eml\n");
  platform::set_interrupted(false);
  EXPECT_EQ(stop, Stop::kInterrupted);
  EXPECT_TRUE(fs_.looked_up.empty());
}

}  // namespace
}  // namespace mailsift
