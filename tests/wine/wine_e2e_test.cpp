// mailsift.exe under Wine as a Windows user runs it: "/" options, long
// paths, wildcard lookups, CR LF reports and logs, output masks with "\",
// file lists, the INI file beside the program, the registry and the exit
// statuses.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "wine/wine_runner.h"

namespace mailsift::test {
namespace {

// The first column of every row (the header row included), in order.
std::vector<std::string> names_of(const std::string& report) {
  std::vector<std::string> names;
  const std::string text = lf_lines(report);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string line = text.substr(start, end - start);
    if (!line.empty()) names.push_back(line.substr(0, line.find('|')));
    start = end + 1;
  }
  return names;
}

class WindowsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    mail_ = dir_ + "/mail";
    make_dirs(mail_ + "/sub");
    for (const char* name : {"a.eml", "b1.eml", "b2.eml", "note.txt", "sub/c.eml"}) {
      write_file(mail_ + "/" + name, std::string("Subject: ") + name + "\n");
    }
    options_.cwd = dir_;
    options_.env = wine_env(dir_);
  }
  void TearDown() override { remove_tree(dir_); }

  std::string win(const std::string& relative) const {
    return windows_path(dir_ + (relative.empty() ? "" : "/" + relative));
  }

  std::string dir_;
  std::string mail_;
  RunOptions options_;
};

TEST_F(WindowsE2E, SlashStartsOptionsAndPatternsComeFromPaths) {
  // "-f *.eml /r": one pattern, then "/r" turns recursion off.
  RunResult r = run_windows({win("mail"), "-f", "*.eml", "/r", "/o", "r.txt"}, options_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(names_of(read_file(dir_ + "/r.txt")),
            (std::vector<std::string>{"Filename", win("mail\\a.eml"), win("mail\\b1.eml"),
                                      win("mail\\b2.eml")}));
  EXPECT_NE(lf_lines(r.err).find("  1 directory, 3 files"), std::string::npos) << r.err;

  // A pattern in the path argument, and "-p" roots that begin with "/":
  // the root list stops only at "-" or "+".
  r = run_windows({win("mail\\B?.EML"), "-p", win("mail\\sub"), dir_ + "/mail/sub", "/r"},
                  options_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(names_of(r.out),
            (std::vector<std::string>{"Filename", win("mail\\b1.eml"), win("mail\\b2.eml")}));

  // Options after the paths only; "/?" and an unknown letter end with 6.
  r = run_windows({"/r", win("mail")}, options_);
  EXPECT_EQ(r.status, 6);
  EXPECT_NE(r.err.find("There appears to be an extra or eroneous item"), std::string::npos);
  r = run_windows({win("mail"), "/k"}, options_);
  EXPECT_EQ(r.status, 6);
  EXPECT_NE(r.err.find("Illegal option k"), std::string::npos);
  r = run_windows({win("mail"), "/?"}, options_);
  EXPECT_EQ(r.status, 6);
  EXPECT_NE(r.err.find("ILLEGAL or INCOMPLETE OPTION"), std::string::npos);
}

TEST_F(WindowsE2E, PathsLongerThan260Characters) {
  std::string deep = mail_;
  for (int level = 0; level < 6; ++level)
    deep += "/level" + std::to_string(level) + std::string(45, 'x');
  make_dirs(deep);
  write_file(deep + "/deep.eml", "Subject: deep\n");
  const std::string shown = windows_path(deep + "/deep.eml");
  ASSERT_GT(shown.size(), 300u);

  RunResult walked = run_windows({win("mail"), "-f", "deep.eml"}, options_);
  EXPECT_EQ(walked.status, 0) << walked.err;
  EXPECT_EQ(names_of(walked.out), (std::vector<std::string>{"Filename", shown}));
  // The long directory itself as the root, and as a line of a file list.
  RunResult rooted = run_windows({windows_path(deep)}, options_);
  EXPECT_EQ(names_of(rooted.out), (std::vector<std::string>{"Filename", shown}));
  write_file(dir_ + "/list.txt", shown + "\r\n");
  RunResult listed = run_windows({"--source=list.txt"}, options_);
  EXPECT_EQ(listed.status, 0) << listed.err;
  EXPECT_EQ(names_of(listed.out), (std::vector<std::string>{shown}));
  EXPECT_NE(listed.out.find("Subject: deep"), std::string::npos);
}

TEST_F(WindowsE2E, FileListWithExactNamesAndWildcards) {
  // A listed name with "?" or "*" stands for the first entry it matches;
  // a line is cut at "|"; a relative line is taken from the current
  // directory; a missing file is passed over; an empty line ends the list.
  write_file(dir_ + "/list.txt", win("mail\\B?.eml") + "|a column\r\n" + "mail\\sub\\c.eml\r\n" +
                                     win("mail\\missing.eml") + "\r\n" + win("mail\\a*") +
                                     "\r\n\r\n" + win("mail\\note.txt") + "\r\n");
  RunResult r = run_windows({"--source=list.txt"}, options_);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::vector<std::string> names = names_of(r.out);
  ASSERT_EQ(names.size(), 3u) << r.out;
  EXPECT_NE(r.out.find("Subject: b1.eml"), std::string::npos);
  EXPECT_EQ(names[1], win("mail\\sub\\c.eml"));
  EXPECT_NE(r.out.find("Subject: a.eml"), std::string::npos);
  EXPECT_EQ(r.out.find("note.txt"), std::string::npos);

  r = run_windows({"--source=nothere.txt"}, options_);
  EXPECT_EQ(r.status, 3) << r.err;
}

TEST_F(WindowsE2E, ReportAndLogAreWrittenWithCrLf) {
  RunResult r = run_windows({win("mail"), "-o", "report.txt", "-1", "logs\\run.log"}, options_);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string report = read_file(dir_ + "/report.txt");
  const std::string log = read_file(dir_ + "/logs/run.log");
  EXPECT_TRUE(all_crlf(report));
  EXPECT_TRUE(all_crlf(log));
  EXPECT_EQ(names_of(report).size(), 6u) << report;
  EXPECT_EQ(report.rfind("Filename|Size|", 0), 0u);
  // The log names the first root without the long-path prefix.
  EXPECT_NE(log.find(" Initial directory: " + win("mail") + "\r\n"), std::string::npos) << log;
  EXPECT_NE(log.find("  1 directory, 5 files\r\n"), std::string::npos) << log;
  EXPECT_EQ(log.find("\\\\?\\"), std::string::npos);
  // The report and the log are never listed, also inside the walked tree.
  r = run_windows({win(""), "-o", win("report2.txt"), "-1", win("run2.log")}, options_);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string report2 = read_file(dir_ + "/report2.txt");
  EXPECT_EQ(report2.find("report2.txt|"), std::string::npos);
  EXPECT_EQ(report2.find("run2.log|"), std::string::npos);
  EXPECT_NE(report2.find("report.txt|"), std::string::npos);
}

TEST_F(WindowsE2E, OutputNameMasksFollowABackslash) {
  make_dirs(dir_ + "/out");
  char before[16], after[16];
  std::time_t t = std::time(nullptr);
  std::strftime(before, sizeof before, "%Y%m%d", std::gmtime(&t));
  RunResult r = run_windows({win("mail"), "-o", win("out\\YYYYMMDD.txt")}, options_);
  t = std::time(nullptr);
  std::strftime(after, sizeof after, "%Y%m%d", std::gmtime(&t));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/out/" + before + ".txt") ||
              std::filesystem::exists(dir_ + "/out/" + after + ".txt"));
  // Without a backslash before it the mask is part of the name.
  r = run_windows({win("mail"), "-o", win("out\\rpt_YYMM.txt")}, options_);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/out/rpt_YYMM.txt"));
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_ + "/out"),
                          std::filesystem::directory_iterator()),
            2);
}

TEST_F(WindowsE2E, IniFileBesideTheProgram) {
  make_dirs(dir_ + "/bin");
  const std::string exe = dir_ + "/bin/mailsift.exe";
  std::filesystem::copy_file(MAILSIFT_WINDOWS_EXE, exe);
  write_file(dir_ + "/bin/mailsift.ini", "; settings\r\nDELIMITER=;\r\nFILE=*.txt\r\n");
  RunResult r = run_windows({win("mail")}, options_, exe);
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.rfind("Filename;Size;", 0), 0u) << r.out;
  EXPECT_NE(r.out.find(win("mail\\note.txt") + ";"), std::string::npos);
  EXPECT_EQ(r.out.find("a.eml"), std::string::npos);
  // "-.ini" keeps it out.
  r = run_windows({win("mail"), "-.ini"}, options_, exe);
  EXPECT_EQ(r.out.rfind("Filename|Size|", 0), 0u) << r.out;
}

TEST_F(WindowsE2E, LastAccessSettingFromTheRegistry) {
  const std::string key = "HKLM\\SYSTEM\\CurrentControlSet\\Control\\FileSystem";
  struct Case {
    const char* data;
    const char* text;
  };
  for (const Case& c : {Case{"1", "Last Access Date UPDATE is turned ***** OFF *****"},
                        Case{"0", "Last Access Date UPDATE is turned ON"}}) {
    ASSERT_EQ(run_wine_tool({"reg", "add", key, "/v", "NtfsDisableLastAccessUpdate", "/t",
                             "REG_DWORD", "/d", c.data, "/f"})
                  .status,
              0);
    RunResult r = run_windows({win("mail"), "-1", "run.log"}, options_);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_NE(read_file(dir_ + "/run.log").find(c.text), std::string::npos) << c.data;
    std::filesystem::remove(dir_ + "/run.log");
  }
}

TEST_F(WindowsE2E, ExitStatuses) {
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* message;
  };
  const std::vector<Case> cases = {
      {{win("mail"), "-o", "report.txt"}, 0, "  1 directory, 5 files"},
      {{"--source=" + win("none.txt")}, 3, ""},
      {{win("mail"), "-o", win("no\\such\\dir\\r.txt")}, 4, "can't create output file"},
      {{win("mail"), "-d"}, 6, "ILLEGAL or INCOMPLETE OPTION"},
  };
  for (const Case& c : cases) {
    RunResult r = run_windows(c.args, options_);
    EXPECT_EQ(r.status, c.status) << c.args[0] << "\n" << r.err;
    EXPECT_NE(lf_lines(r.err).find(c.message), std::string::npos) << r.err;
    EXPECT_TRUE(all_crlf(r.err));
  }
}

TEST_F(WindowsE2E, CtrlCEndsTheRunInOrder) {
  // Ctrl-C reaches the console control handler, which only sets the flag:
  // the row in progress is completed and the summary written.
  for (int i = 0; i < 2000; ++i) {
    write_file(mail_ + "/bulk" + std::to_string(i) + ".eml", std::string(4000, 'x') + "\n");
  }
  RunOptions o = options_;
  o.interrupt_when = [](const std::string& err) { return err.find(" Bytes") != std::string::npos; };
  RunResult r = run_windows({win("mail"), "-o", "report.txt"}, o);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("Reason: USER_ABORTED"), std::string::npos);
  const std::string report = read_file(dir_ + "/report.txt");
  EXPECT_TRUE(all_crlf(report));
  EXPECT_LT(names_of(report).size(), 2000u);
}

}  // namespace
}  // namespace mailsift::test
