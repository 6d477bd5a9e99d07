// mailsift.exe and the Linux build on the same trees: the rows are the same
// bytes apart from the file-name column's path form and the line ends, and
// the walk visits and counts the same entries in the same order.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "wine/wine_runner.h"

namespace mailsift::test {
namespace {

// The summary's count line, "N directories, M files".
std::string count_line(const std::string& err) {
  const std::string text = lf_lines(err);
  const std::size_t at = text.find(" director");
  if (at == std::string::npos) return "";
  const std::size_t start = text.rfind('\n', at) + 1;
  return text.substr(start, text.find('\n', at) - start);
}

class RowsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
    dir_ = make_scratch_dir();
    root_ = dir_ + "/mail";
    make_dirs(root_);
    options_.cwd = dir_;
    options_.env = wine_env(dir_);
  }
  void TearDown() override { remove_tree(dir_); }

  // Runs both builds on the root with `extra` options. With a report file
  // the rows go there and the summary with its counts to standard error.
  void compare(const std::vector<std::string>& extra = {}, bool report_file = false) {
    std::vector<std::string> win_args = {windows_path(root_)};
    std::vector<std::string> lin_args = {root_};
    win_args.insert(win_args.end(), extra.begin(), extra.end());
    lin_args.insert(lin_args.end(), extra.begin(), extra.end());
    if (report_file) {
      win_args.insert(win_args.end(), {"-o", windows_path(dir_ + "/windows.txt")});
      lin_args.insert(lin_args.end(), {"-o", dir_ + "/linux.txt"});
    }
    windows_ = run_windows(win_args, options_);
    linux_ = run_linux(lin_args, options_);
    EXPECT_EQ(windows_.status, 0) << windows_.err;
    EXPECT_EQ(linux_.status, 0) << linux_.err;
    if (report_file) {
      windows_.out = read_file(dir_ + "/windows.txt");
      linux_.out = read_file(dir_ + "/linux.txt");
      EXPECT_EQ(count_line(windows_.err), count_line(linux_.err));
    }
    EXPECT_TRUE(all_crlf(windows_.out));
    EXPECT_NE(windows_.out.find("\r\n" + windows_path(root_) + "\\"), std::string::npos)
        << "rows name files by their Windows path";
    EXPECT_EQ(linux_form(windows_.out), linux_.out);
  }

  std::string dir_;
  std::string root_;
  RunOptions options_;
  RunResult windows_;
  RunResult linux_;
};

TEST_F(RowsE2E, SamplesGiveTheLinuxRows) {
  const std::string samples = MAILSIFT_SAMPLES_DIR;
  int minute = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(samples)) {
    const std::string relative = entry.path().string().substr(samples.size());
    if (entry.is_directory()) {
      make_dirs(root_ + relative);
      continue;
    }
    write_file(root_ + relative, read_file(entry.path().string()));
    set_mtime_local(root_ + relative, 2013, 8, 5, 14, minute++ % 60);
  }
  compare();
  EXPECT_NE(windows_.out.find("13-nested.eml|"), std::string::npos);
}

TEST_F(RowsE2E, GeneratedTreeInWalkOrderWithCounts) {
  // Names in mixed case, with "_", digits, no extension or beyond ASCII
  // (UTF-8 in the rows on both systems); subdirectories
  // two levels deep; a link back to the root, which is counted but not
  // entered again.
  const std::vector<std::string> dirs = {"B", "a", "a/Deep", "a/deep2", "_z", "c.eml"};
  for (const std::string& d : dirs) make_dirs(root_ + "/" + d);
  std::filesystem::create_directory_symlink(root_, root_ + "/a/loop");
  const std::vector<std::string> files = {
      "b.eml",           "A.EML",         "_first.eml",      "a/x.eml",
      "a/Deep/y.msg",    "a/deep2/Z.eml", "B/readme",        "_z/1.eml",
      "c.eml/inner.eml", "a/Deep/10.eml", "caf\xC3\xA9.eml", "\xE6\x97\xA5\xE6\x9C\xAC.eml"};
  int n = 0;
  for (const std::string& f : files) {
    ++n;
    write_file(root_ + "/" + f, "From: Sender " + std::to_string(n) + " <s" + std::to_string(n) +
                                    "@example.org>\r\nTo: r@example.com\nSubject: number " +
                                    std::to_string(n) + "\nDate: Mon, 5 Aug 2013 10:2" +
                                    std::to_string(n % 10) + ":00 -0400\n\nbody\n");
    set_mtime_local(root_ + "/" + f, 2012, 1 + n, n, n, n);
  }
  compare({"-f", "*.eml", "*.*"}, true);
  // Subdirectories first, then the directory's own files, pattern by pattern.
  const std::string rows = linux_form(windows_.out);
  const std::size_t deep = rows.find("/a/Deep/10.eml|");
  const std::size_t x = rows.find("/a/x.eml|");
  const std::size_t first = rows.find("/mail/_first.eml|");
  EXPECT_LT(deep, x);
  EXPECT_LT(x, first);
  EXPECT_EQ(count_line(windows_.err), "  7 directories, 22 files");
}

}  // namespace
}  // namespace mailsift::test
