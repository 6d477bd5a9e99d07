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

// A structured report in the Linux form: every file name that begins with
// `windows_root` (as the format writes it) begins with `linux_root` instead,
// with "/" for each `separator` up to the field's closing quote.
std::string linux_names(const std::string& text, const std::string& windows_root,
                        const std::string& linux_root, const std::string& separator) {
  std::string out;
  std::size_t pos = 0;
  for (std::size_t at; (at = text.find(windows_root, pos)) != std::string::npos;) {
    out += text.substr(pos, at - pos) + linux_root;
    pos = at + windows_root.size();
    const std::size_t end = text.find('"', pos);
    for (std::size_t sep; (sep = text.find(separator, pos)) < end; pos = sep + separator.size()) {
      out += text.substr(pos, sep - pos) + "/";
    }
  }
  return out + text.substr(pos);
}

TEST_F(RowsE2E, StructuredFormatsAreTheLinuxBytes) {
  make_dirs(root_ + "/sub");
  write_file(root_ + "/a,b.eml", "From: \"Lee, Kim\" <k@x>\r\nSubject: one\rtwo | \"q\"\n\n");
  write_file(root_ + "/sub/c.eml",
             "To: t@x\nSubject: caf\xC3\xA9 \xFF\x01\nDate: Mon, 5 Aug 2013\n");
  write_file(root_ + "/sub/empty.eml", "");
  // Digests of every byte, past a Ctrl-Z and a NUL: BCrypt and zlib on
  // Windows must give what libcrypto and zlib give on Linux.
  write_file(root_ + "/sub/z.eml", std::string("Subject: z\r\n\0\x1a after\r\n", 22));
  int minute = 0;
  for (const char* name : {"/a,b.eml", "/sub/c.eml", "/sub/empty.eml", "/sub/z.eml"}) {
    set_mtime_local(root_ + name, 2013, 8, 5, 14, ++minute);
  }
  const std::string csv_root = windows_path(root_);
  std::string json_root;
  for (char c : csv_root) json_root += c == '\\' ? std::string("\\\\") : std::string(1, c);
  struct Case {
    const char* format;
    bool report_file;
    const std::string& windows_root;
    const char* separator;
    const char* record_end;
  };
  const Case cases[] = {{"--format=csv", false, csv_root, "\\", "\"\r\n"},
                        {"--format=csv", true, csv_root, "\\", "\"\r\n"},
                        {"--format=jsonl", false, json_root, "\\\\", "\"}\n"},
                        {"--format=jsonl", true, json_root, "\\\\", "\"}\n"}};
  for (const Case& c : cases) {
    const std::vector<std::string> digests = {"--crc", "--md5",    "--sha1",
                                              "--sha2", "--sha384", "--sha512"};
    std::vector<std::string> win_args = {csv_root, c.format};
    std::vector<std::string> lin_args = {root_, c.format};
    win_args.insert(win_args.end(), digests.begin(), digests.end());
    lin_args.insert(lin_args.end(), digests.begin(), digests.end());
    if (c.report_file) {
      win_args.insert(win_args.end(), {"-o", windows_path(dir_ + "/windows.out")});
      lin_args.insert(lin_args.end(), {"-o", dir_ + "/linux.out"});
    }
    RunResult win = run_windows(win_args, options_);
    RunResult lin = run_linux(lin_args, options_);
    ASSERT_EQ(win.status, 0) << win.err;
    ASSERT_EQ(lin.status, 0) << lin.err;
    if (c.report_file) {
      win.out = read_file(dir_ + "/windows.out");
      lin.out = read_file(dir_ + "/linux.out");
    }
    EXPECT_EQ(win.out.find("\r\r"), std::string::npos) << c.format;
    EXPECT_NE(lin.out.find("6a60dff9dd9efae259bbf8f6929f9a31e3bb7acf"), std::string::npos)
        << "the SHA-1 of z.eml";
    EXPECT_EQ(lin.out.size() - lin.out.rfind(c.record_end), std::string(c.record_end).size())
        << c.format;
    EXPECT_EQ(linux_names(win.out, c.windows_root, root_, c.separator), lin.out)
        << c.format << (c.report_file ? " to a file" : " on standard output");
  }
}

// mbox archives: the same messages, rows, progress lines and counts, with
// one thread and with several; an archive larger than the read windows, a
// CR LF one, a Ctrl-Z, and a message larger than all the windows.
TEST_F(RowsE2E, MboxArchivesGiveTheLinuxRows) {
  auto archive = [](int count, const std::string& eol) {
    std::string text;
    for (int k = 0; k < count; ++k) {
      text += "From s" + std::to_string(k) + " Mon Jan  1 00:00:00 2024" + eol + "From: S" +
              std::to_string(k) + " <s@example.org>" + eol + "Subject: number " +
              std::to_string(k) + eol + eol + "From the body" + eol + ">From quoted" + eol +
              std::string(static_cast<std::size_t>(k % 300), 'b') + eol + eol;
    }
    return text;
  };
  write_file(root_ + "/lf.mbox", archive(12000, "\n"));
  write_file(root_ + "/crlf.mbox", archive(50, "\r\n") + "From z\r\nSubject: cut\x1a\r\nTo: t@x\r\n");
  std::string large = "From big\nSubject: large\n\n";
  while (large.size() < (9u << 20)) large += "A line of the large message's body.\n";
  write_file(root_ + "/large.mbox", archive(3, "\n") + large + "To: end@example.org\n\n" +
                                        archive(3, "\n"));
  write_file(root_ + "/plain.eml", "From: P <p@x>\nSubject: plain\n");
  // The summary's line "N messages in M mbox files".
  const auto archives_line = [](const std::string& err) {
    const std::size_t at = err.find(" messages in ");
    if (at == std::string::npos) return std::string();
    const std::size_t start = err.rfind('\n', at) + 1;
    return err.substr(start, err.find('\n', at) - start);
  };
  for (const char* jobs : {"--jobs=1", "--jobs=3"}) {
    compare({"--mbox", jobs}, true);
    EXPECT_EQ(archives_line(linux_.err), "  24114 messages in 3 mbox files");
    EXPECT_EQ(archives_line(lf_lines(windows_.err)), archives_line(linux_.err));
    EXPECT_NE(linux_.out.find("/large.mbox#7|"), std::string::npos);
  }
}

}  // namespace
}  // namespace mailsift::test
