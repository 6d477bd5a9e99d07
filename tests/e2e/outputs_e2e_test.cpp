// The report file, the accounting log, the INI file and file-list mode, run
// through the real binary.
// GCC 12 reports a false "may be used uninitialized" inside std::regex when
// built with the sanitizers.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <regex>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

const char* const kMessage = "From: Ann <ann@example.com>\nSubject: Hello\n\nBody\n";

std::string escape_regex(const std::string& text) {
  static const std::string special = "\\^$.|?*+()[]{}";
  std::string out;
  for (char c : text) {
    if (special.find(c) != std::string::npos) out.push_back('\\');
    out.push_back(c);
  }
  return out;
}

// Pieces of one accounting-log record, as regular expressions.
const std::string kSeparator = "\n\\*{40}\n";
const std::string kDateTime =
    "[A-Z][a-z]{2} [A-Z][a-z]{2} [0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9]{4}";

std::string echo_line(const std::vector<std::string>& args) {
  std::string s = " \\S+";
  for (const std::string& a : args) s += " " + escape_regex(a);
  return s + "\n";
}

std::string start_lines(const std::vector<std::string>& args) {
  // TZ=UTC: standard name "UTC", no daylight time, offset 0.
  std::string s = "\n Started " + kDateTime + " GMT, [0-9]{2}:[0-9]{2} UTC \\(UTC/:0\\)\n";
  s += " Command Line: \\S+ ";
  for (const std::string& a : args) s += escape_regex(a) + " ";
  return s + "\n";
}

std::string closing_lines(const std::string& reason) {
  std::string s;
  if (!reason.empty()) s += "\n Abnormal termination\\. Reason: " + escape_regex(reason);
  s += "\n  [0-9]+ director(y|ies), [0-9]+ files\n";
  s += "\n\n  Finished: " + kDateTime + "\n";
  s += "  Elapsed:  [0-9]+ hrs\\. [0-9]+ mins\\. [0-9]+ secs\\.\n";
  s += "    Last Access Date UPDATE is \"Disable Access Date Key\" Not Found\n"
       "Default \\(except VISTA\\) is usually RESET ACCESS DATE\n\n"
       "To confirm setting check registry key:\n"
       "HKEY_LOCAL_MACHINE\n"
       "SYSTEM\\\\CurrentControlSet\\\\Control\\\\FileSystem\\\\NtfsDisableLastAccessUpdate\n"
       "A 1 means access data will NOT be updated\n";
  return s;
}

class OutputsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    mail_ = dir_ + "/mail";
    make_dirs(mail_);
    write_file(mail_ + "/a.eml", kMessage);
    write_file(mail_ + "/b.eml", kMessage);
  }
  void TearDown() override { remove_tree(dir_); }
  RunOptions opts() {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    return o;
  }
  std::string record(const std::vector<std::string>& args, const std::string& reason = "") {
    return kSeparator + echo_line(args) + start_lines(args) +
           " Initial directory: " + escape_regex(mail_) + "\n" + closing_lines(reason);
  }
  std::string dir_, mail_;
};

// --- Runs that need only the INI file and the report output ----------------

TEST_F(OutputsE2E, IniOutputDirectiveAndSilentSwitch) {
  write_file(dir_ + "/mailsift.ini", "; standing settings\nOUTPUT=Reports.txt\n");
  RunResult r = run_mailsift({mail_}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  // The value keeps its case; the report starts with the header row.
  EXPECT_EQ(read_file(dir_ + "/Reports.txt").rfind("Filename", 0), 0u);
  EXPECT_EQ(r.out, "");
  EXPECT_NE(r.err.find(" files\n  Elapsed: "), std::string::npos) << r.err;

  RunOptions quiet = opts();
  quiet.env.push_back("SILENT=MONDAY");
  r = run_mailsift({mail_}, quiet);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err.find("Elapsed"), std::string::npos) << r.err;
}

TEST_F(OutputsE2E, IniOutputInMissingDirectoryEndsWithOutputFileStatus) {
  write_file(dir_ + "/mailsift.ini", "OUTPUT=" + dir_ + "/nowhere/r.txt\n");
  RunResult r = run_mailsift({mail_}, opts());
  EXPECT_EQ(r.status, 4);
  EXPECT_EQ(r.err.rfind("\ncan't create output file " + dir_ + "/nowhere/r.txt\n", 0), 0u) << r.err;
  EXPECT_NE(r.err.find("FILE: eml_program, LINE "), std::string::npos);
}

TEST_F(OutputsE2E, HostileIniFileEndsNormally) {
  std::string bytes;
  for (int i = 0; i < 4096; ++i)
    bytes.push_back(static_cast<char>((i * 131) % 256 == 26 ? 1 : (i * 131) % 256));
  bytes += "\n" + std::string(10 * 1024 * 1024, 'z') + "\n";
  write_file(dir_ + "/mailsift.ini", bytes);
  RunResult r = run_mailsift({mail_}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Abnormal"), std::string::npos);
}

// --- Runs that need the option parser, the walk and the scanner ------------

TEST_F(OutputsE2E, AccountingRecordOfANormalRun) {
  std::vector<std::string> args = {mail_, "-o", "out.txt", "-1", "acct.log"};
  RunResult r = run_mailsift(args, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  std::string log = read_file(dir_ + "/acct.log");
  EXPECT_TRUE(std::regex_match(log, std::regex(record(args)))) << log;
  // The root itself is not counted as a directory found.
  EXPECT_NE(log.find("\n  0 directories, 2 files\n"), std::string::npos) << log;

  // A second run appends a second record.
  r = run_mailsift(args, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  log = read_file(dir_ + "/acct.log");
  EXPECT_TRUE(std::regex_match(log, std::regex(record(args) + record(args)))) << log;
}

TEST_F(OutputsE2E, AccountingRecordOfAnOptionError) {
  RunOptions o = opts();
  o.env.push_back("ACCT=" + dir_ + "/acct.log");
  RunResult r = run_mailsift({mail_, "-k"}, o);
  EXPECT_EQ(r.status, 6);
  EXPECT_NE(r.err.find("Abnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION"),
            std::string::npos);
  // The log was opened from the environment before the options were read; the
  // run ended before the command line was echoed.
  std::string log = read_file(dir_ + "/acct.log");
  EXPECT_TRUE(
      std::regex_match(log, std::regex(kSeparator + closing_lines("ILLEGAL or INCOMPLETE OPTION"))))
      << log;
}

TEST_F(OutputsE2E, AccountingRecordOfAnInterruptedRun) {
  // A large first message keeps the walk busy when the interrupt arrives.
  std::string big = "From: x@y\nSubject: big\n\n";
  // Each line holds a ":", so none is passed over unread.
  std::string line = "Received: from relay [192.0.2.1] " + std::string(46, 'b');
  line.push_back('\n');
  big.reserve(48u << 20);
  while (big.size() < (48u << 20)) big += line;
  write_file(mail_ + "/0big.eml", big);
  for (int i = 0; i < 100; ++i) write_file(mail_ + "/m" + std::to_string(i) + ".eml", kMessage);
  std::vector<std::string> args = {mail_, "-o", "out.txt", "-1", "acct.log"};
  RunOptions o = opts();
  o.interrupt_after_read_bytes = 4 << 20;
  RunResult r = run_mailsift(args, o);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
  std::string log = read_file(dir_ + "/acct.log");
  EXPECT_TRUE(std::regex_match(log, std::regex(record(args, "USER_ABORTED")))) << log;
  // Whole rows only: every row of the report ends before the next begins.
  std::string report = read_file(dir_ + "/out.txt");
  EXPECT_EQ(report.rfind("Filename", 0), 0u);
}

TEST_F(OutputsE2E, LogEndingInCtrlZAndAcctOn) {
  write_file(dir_ + "/acct.log", "old record text\x1A\x1A");
  std::vector<std::string> args = {mail_, "-o", "out.txt", "-1", "acct.log"};
  RunResult r = run_mailsift(args, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  std::string log = read_file(dir_ + "/acct.log");
  EXPECT_TRUE(std::regex_match(log, std::regex("old record text" + record(args)))) << log;

  RunOptions o = opts();
  o.env.push_back("ACCT=on");
  r = run_mailsift({mail_, "-o", "out.txt"}, o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(read_file(dir_ + "/ACCT-ING").rfind("\n" + std::string(40, '*') + "\n", 0), 0u);
  EXPECT_EQ(r.err.find("Creating"), std::string::npos);
}

TEST_F(OutputsE2E, LogPathProblems) {
  make_dirs(dir_ + "/logdir");
  RunResult r = run_mailsift({mail_, "-1", dir_ + "/logdir"}, opts());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find("error opening " + dir_ + "/logdir\n"), std::string::npos) << r.err;

  r = run_mailsift({mail_, "-o", "out.txt", "-1", dir_ + "/new/logs/acct.log"}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("Creating (log\\error) directory:  " + dir_ + "/new\n"), std::string::npos);
  EXPECT_NE(r.err.find("Creating (log) directory:  " + dir_ + "/new/logs\n"), std::string::npos);
}

TEST_F(OutputsE2E, OutputFileProblemsKeepExistingData) {
  write_file(dir_ + "/kept.txt", "earlier report");
  RunResult r = run_mailsift({mail_, "-o", dir_ + "/none/r.txt"}, opts());
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("can't create output file " + dir_ + "/none/r.txt"), std::string::npos);
  r = run_mailsift({mail_, "-a", "-o", dir_}, opts());
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("can't open output file " + dir_), std::string::npos);
  EXPECT_EQ(read_file(dir_ + "/kept.txt"), "earlier report");
}

TEST_F(OutputsE2E, OutputInReadOnlyDirectory) {
  if (::geteuid() == 0) GTEST_SKIP() << "root ignores permission bits";
  make_dirs(dir_ + "/locked");
  write_file(dir_ + "/locked/r.txt", "earlier report");
  ::chmod((dir_ + "/locked/r.txt").c_str(), 0400);
  ::chmod((dir_ + "/locked").c_str(), 0500);
  RunResult r = run_mailsift({mail_, "-o", dir_ + "/locked/r.txt"}, opts());
  EXPECT_EQ(r.status, 4);
  EXPECT_NE(r.err.find("can't create output file"), std::string::npos) << r.err;
  EXPECT_EQ(read_file(dir_ + "/locked/r.txt"), "earlier report");
  r = run_mailsift({mail_, "-o", dir_ + "/locked/new.txt"}, opts());
  EXPECT_EQ(r.status, 4);
}

TEST_F(OutputsE2E, OwnReportLogAndRedirectedOutputAreNotReported) {
  RunOptions o = opts();
  o.cwd = mail_;
  o.stdout_path = mail_ + "/inventory.txt";
  RunResult r = run_mailsift({"."}, o);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string inventory = read_file(mail_ + "/inventory.txt");
  EXPECT_NE(inventory.find("a.eml"), std::string::npos) << inventory;
  EXPECT_EQ(inventory.find("inventory.txt"), std::string::npos) << inventory;

  o.stdout_path.clear();
  r = run_mailsift({".", "-o", "report.txt", "-1", "acct.log"}, o);
  ASSERT_EQ(r.status, 0) << r.err;
  std::string report = read_file(mail_ + "/report.txt");
  EXPECT_NE(report.find("b.eml"), std::string::npos);
  EXPECT_EQ(report.find("report.txt"), std::string::npos) << report;
  EXPECT_EQ(report.find("acct.log"), std::string::npos) << report;
}

TEST_F(OutputsE2E, FileListMode) {
  make_dirs(mail_ + "/sub");
  write_file(dir_ + "/list.txt", mail_ + "/a.eml|123|08-21-2013\n" + "mail/b.eml   \n" + mail_ +
                                     "/sub\n" + mail_ + "/missing.eml\n" + "|\n" + "\n" + mail_ +
                                     "/after-blank.eml\n");
  write_file(mail_ + "/after-blank.eml", kMessage);
  RunResult r = run_mailsift({"--source=list.txt"}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out.find("Filename"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(mail_ + "/a.eml"), std::string::npos) << r.out;
  EXPECT_NE(r.out.find(mail_ + "/b.eml"), std::string::npos) << r.out;
  EXPECT_EQ(r.out.find("missing.eml"), std::string::npos);
  EXPECT_EQ(r.out.find("after-blank"), std::string::npos);
  EXPECT_EQ(r.err.find("director"), std::string::npos);

  std::string utf16 = "\xFF\xFE";
  for (char c : mail_ + "/a.eml\n") {
    utf16.push_back(c);
    utf16.push_back('\0');
  }
  write_file(dir_ + "/list16.txt", utf16);
  r = run_mailsift({"--source=list16.txt"}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
}  // namespace mailsift::test
