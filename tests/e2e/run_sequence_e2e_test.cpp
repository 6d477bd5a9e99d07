#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

class RunSequenceE2E : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_scratch_dir(); }
  void TearDown() override { remove_tree(dir_); }
  RunOptions opts() {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    return o;
  }
  std::string dir_;
};

TEST_F(RunSequenceE2E, VersionAndHelpNeverWalk) {
  RunResult v = run_mailsift({"--version"}, opts());
  EXPECT_EQ(v.status, 0);
  EXPECT_EQ(v.out.rfind("mailsift Ver. ", 0), 0u) << v.out;
  RunResult h = run_mailsift({"--help"}, opts());
  EXPECT_EQ(h.status, 0);
  EXPECT_EQ(h.out, "");
}

TEST_F(RunSequenceE2E, StressMemoryThatCannotBeHadEndsWithMemoryError) {
#if defined(__SANITIZE_ADDRESS__)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  // One To field of about 150 MB cannot grow inside a 120 MB address space.
  make_dirs(dir_ + "/big");
  std::string line = "To: " + std::string(95, 'a') + "\n";
  std::string text;
  text.reserve(line.size() * 1500000);
  for (int i = 0; i < 1500000; ++i) text += line;
  write_file(dir_ + "/big/m.eml", text);
  text.clear();
  text.shrink_to_fit();
  RunOptions o = opts();
  o.address_space_limit = 120LL * 1024 * 1024;
  RunResult r = run_mailsift({"big", "-o", "out.txt"}, o);
  EXPECT_EQ(r.status, 7) << r.err;
  EXPECT_NE(r.err.find("\nError obtaining memory\n"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("\nAbnormal termination. Reason: MEMORY ERROR\n\n"), std::string::npos);
  // The summary counts rows written: the message got none.
  EXPECT_NE(r.err.find("\n  0 directories, 0 files\n"), std::string::npos) << r.err;
}

// A tree of three messages (5, 10 and 1000 bytes) directly in mail/.
class CountingPassE2E : public RunSequenceE2E {
 protected:
  void SetUp() override {
    RunSequenceE2E::SetUp();
    mail_ = dir_ + "/mail";
    make_dirs(mail_);
    write_file(mail_ + "/a.eml", "abcde");
    write_file(mail_ + "/bb.eml", "0123456789");
    write_file(mail_ + "/c.eml", std::string(1000, 'x'));
  }
  std::string mail_;
};

TEST_F(CountingPassE2E, ImmediateWithNamedOutputCountsBeforeReporting) {
  RunResult r = run_mailsift({"mail", "-o", "out.txt", "--im"}, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  // The announcement comes before the first progress line.
  const std::string announce = "\nCounting files: \r         3 files to process, 1,015 bytes\n";
  const std::size_t at = r.err.find(announce);
  ASSERT_NE(at, std::string::npos) << r.err;
  EXPECT_LT(at, r.err.find("/mail/a.eml"));
  EXPECT_EQ(r.err.find("Maximum path length"), std::string::npos);
  // Flat root with recursion on: no subdirectory counted.
  EXPECT_NE(r.err.find("\n  0 directories, 3 files\n  Elapsed: "), std::string::npos) << r.err;
  // Exactly the header row and three rows, no final line end.
  const std::string report = read_file(dir_ + "/out.txt");
  EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 3);
  EXPECT_NE(report.back(), '\n');
}

TEST_F(CountingPassE2E, AutoWidthFromIniReportsLongestPath) {
  write_file(dir_ + "/mailsift.ini", "AUTO\n");
  RunResult r = run_mailsift({"mail", "-o", "out.txt", "--im"}, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  // The longest path is the directory with its "/" plus the longest name.
  const std::size_t longest = mail_.size() + 1 + std::string("bb.eml").size();
  const std::string line = "\r  Maximum path length found is " + std::to_string(longest) + ", -w " +
                           std::to_string(longest + 2) + " installed\n";
  EXPECT_NE(r.err.find(line), std::string::npos) << r.err;
}

TEST_F(CountingPassE2E, NoCountingPassOrSummaryWithoutNamedOutput) {
  RunResult r = run_mailsift({"mail"}, opts());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("Counting files"), std::string::npos);
  EXPECT_EQ(r.err.find("director"), std::string::npos) << r.err;
  // Without --im the counting pass is not made even with a named output.
  RunResult named = run_mailsift({"mail", "-o", "out.txt"}, opts());
  ASSERT_EQ(named.status, 0) << named.err;
  EXPECT_EQ(named.err.find("Counting files"), std::string::npos);
  EXPECT_NE(named.err.find("\n  0 directories, 3 files\n"), std::string::npos) << named.err;
}

TEST_F(CountingPassE2E, LogEchoesArgumentsAndTheFirstRoot) {
  // "|" is quoted in the echo, an argument with blanks is not; the first root
  // shows without its "/" when no counting pass ran, with it after one.
  RunResult plain = run_mailsift({"mail", "-1", "run.log", "-C", "a b", "-d", "|"}, opts());
  ASSERT_EQ(plain.status, 0) << plain.err;
  const std::string log = read_file(dir_ + "/run.log");
  EXPECT_NE(log.find(" mail -1 run.log -C a b -d \"|\"\n"), std::string::npos) << log;
  EXPECT_NE(log.find(" Initial directory: " + mail_ + "\n"), std::string::npos) << log;

  RunResult counted = run_mailsift({"mail", "-1", "run2.log", "-o", "out.txt", "--im"}, opts());
  ASSERT_EQ(counted.status, 0) << counted.err;
  const std::string log2 = read_file(dir_ + "/run2.log");
  EXPECT_NE(log2.find(" Initial directory: " + mail_ + "/\n"), std::string::npos) << log2;
}

TEST_F(CountingPassE2E, InterruptDuringTheWalkKeepsWholeRows) {
  // An interrupt ends the run with whole rows only, status 2 and its reason.
  // The signal goes out once the long message (two million header lines) is
  // being read: the run stops inside it, never after it.
  write_file(mail_ + "/0-first.eml", "From: x\nSubject: y\n");
  std::string big;
  const std::string line = "Received: from relay [192.0.2.1]\n";
  big.reserve(line.size() * 2000000);
  for (int i = 0; i < 2000000; ++i) big += line;
  write_file(mail_ + "/1-long.eml", big);
  RunOptions o = opts();
  o.interrupt_after_read_bytes = 4 << 20;
  RunResult r = run_mailsift({"mail"}, o);
  EXPECT_EQ(r.status, 2) << r.err;
  EXPECT_NE(r.err.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
  EXPECT_NE(r.out.find("/0-first.eml|"), std::string::npos);
  EXPECT_EQ(r.out.find("/a.eml|"), std::string::npos);
  // Every row the report holds is complete: fourteen columns.
  std::size_t start = r.out.find('\n');
  int rows = 0;
  while (start != std::string::npos) {
    std::size_t end = r.out.find('\n', start + 1);
    std::string row = r.out.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    EXPECT_EQ(std::count(row.begin(), row.end(), '|'), 13) << row;
    ++rows;
    start = end;
  }
  EXPECT_GE(rows, 1);
  EXPECT_LE(rows, 2);
}

}  // namespace
}  // namespace mailsift::test
