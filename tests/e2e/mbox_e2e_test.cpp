// mbox archives through the real binary, with one thread and with several:
// the switch from each source, the progress lines and the summary and log
// lines that count the messages, a read error and an interrupt inside an
// archive, and memory bounded by the read windows however large the archive
// and its messages are.
#include <gtest/gtest.h>
#include <signal.h>

#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

const std::string kBox =
    "From a@b Mon Jan  1 00:00:00 2024\nFrom: A <a@example.com>\nSubject: one\n\nbody\n\n"
    "From b@c Mon Jan  1 00:00:00 2024\nFrom: B <b@example.com>\nSubject: two\n\n"
    "From c\nSubject: three\n";

// `count` messages of about 200 bytes each.
std::string small_messages(int count) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += "From s" + std::to_string(k) + " Mon Jan  1 00:00:00 2024\nFrom: s" +
            std::to_string(k) + "@example.com\nTo: r@example.com\nSubject: number " +
            std::to_string(k) + "\n\n" + std::string(100 + k % 50, 'b') + "\n\n";
  }
  return text;
}

class MboxE2E : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    mail_ = dir_ + "/mail";
    make_dirs(mail_);
    write_file(mail_ + "/box.mbox", kBox);
    write_file(mail_ + "/plain.eml", "From: P <p@example.com>\nSubject: plain\n\nbody\n");
  }
  void TearDown() override { remove_tree(dir_); }

  RunResult run(std::vector<std::string> args, const std::string& fault = "", RunOptions o = {}) {
    for (const std::string& a : job_args(GetParam())) args.push_back(a);
    o.cwd = dir_;
    o.env = clean_env(dir_);
    if (!fault.empty()) {
      o.env.push_back(std::string("LD_PRELOAD=") + MAILSIFT_FAULT_SHIM);
      o.env.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
      add_fault(o.env, fault);
    }
    return run_mailsift(args, o);
  }
  std::string progress(const std::string& name) { return "\n" + mail_ + "/" + name + "   "; }

  std::string dir_, mail_;
};

TEST_P(MboxE2E, SwitchFromEverySource) {
  struct Case {
    std::vector<std::string> args;
    std::string ini;
    int messages;
    int status;
  };
  const std::vector<Case> cases = {
      {{}, "", 0, 0},
      {{"--mbox"}, "", 3, 0},
      {{"--MBOX=on"}, "", 3, 0},
      {{"--mbox", "--mbox=Off"}, "", 0, 0},
      {{}, "MBOX=ON\n", 3, 0},
      {{"--mbox=OFF"}, "MBOX=ON\n", 0, 0},
      {{"--mbox"}, "MBOX=OFF\n", 3, 0},
      {{"--mbox=yes"}, "", 0, 6},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args = {"mail"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    write_file(dir_ + "/mailsift.ini", c.ini);
    const RunResult r = run(args);
    const std::string where = (c.args.empty() ? "" : c.args.back()) + " " + c.ini;
    EXPECT_EQ(r.status, c.status) << where << r.err;
    if (c.status != 0) continue;
    EXPECT_EQ(count_rows(r.out, mail_ + "/box.mbox#"), c.messages) << where;
    EXPECT_EQ(count_rows(r.out, mail_ + "/box.mbox|"), c.messages == 0 ? 1 : 0) << where;
    EXPECT_EQ(count_rows(r.out, mail_ + "/plain.eml|"), 1) << where;
  }
}

TEST_P(MboxE2E, ProgressLinesSummaryAndLogCountTheMessages) {
  const RunResult r = run({"mail", "--mbox", "-o", "out.txt", "-1", "run.log"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Each message as a file of its own would be shown; the archive itself is not.
  const std::string lines = progress("box.mbox#1") + "         43 Bytes" +
                            progress("box.mbox#2") + "         37 Bytes" +
                            progress("box.mbox#3") + "         15 Bytes" +
                            progress("plain.eml") + "         45 Bytes";
  EXPECT_EQ(r.err.find(lines), 0u) << r.err;
  const std::string counts = "\n  0 directories, 4 files\n  3 messages in 1 mbox files\n";
  EXPECT_NE(r.err.find(counts + "  Elapsed: "), std::string::npos) << r.err;
  const std::string log = read_file(dir_ + "/run.log");
  EXPECT_NE(log.find(counts + "\n\n  Finished: "), std::string::npos) << log;
  EXPECT_EQ(closed_log_problem(log, ""), "");
  const RunResult plain = run({"mail", "-o", "out.txt", "-1", "run.log"});
  EXPECT_EQ(plain.err.find("mbox files"), std::string::npos) << plain.err;
  EXPECT_NE(plain.err.find("\n  0 directories, 2 files\n  Elapsed: "), std::string::npos);
}

// The message being read when the archive cannot be read on keeps its row,
// from the bytes read, and the warning after its progress line; the archive
// ends there and the run goes on.
TEST_P(MboxE2E, ReadErrorCutsTheMessageBeingRead) {
  const std::size_t cut = kBox.find("Subject: two") + 3;
  const RunResult r = run({"mail", "--mbox", "-o", "out.txt"},
                          "MAILSIFT_FAULT_READ_EIO=box.mbox:" + std::to_string(cut));
  EXPECT_EQ(r.status, 11) << r.err;
  const std::string report = read_file(dir_ + "/out.txt");
  EXPECT_EQ(count_rows(report, mail_ + "/box.mbox#"), 2) << report;
  EXPECT_NE(report.find("\n" + mail_ + "/box.mbox#2|" +
                        std::to_string(cut - kBox.find("From: B")) + "|"),
            std::string::npos)
      << report;
  EXPECT_EQ(report.find("Subject: two"), std::string::npos) << report;
  EXPECT_EQ(count_rows(report, mail_ + "/plain.eml|"), 1);
  EXPECT_NE(r.err.find(" Bytes\ncan't read file " + mail_ + "/box.mbox#2 (Input/output error)" +
                       progress("plain.eml")),
            std::string::npos)
      << r.err;
  EXPECT_NE(r.err.find("\n  0 directories, 3 files\n  2 messages in 1 mbox files\n"),
            std::string::npos)
      << r.err;
}

// An interrupt while the archive is read (a read that stalls past its first
// window): the report is a prefix of whole rows, each with its progress line,
// and the summary counts them.
TEST_P(MboxE2E, InterruptInsideAnArchiveLeavesWholeRows) {
  const std::string box = small_messages(12000);  // about 3 MB
  write_file(mail_ + "/box.mbox", box);
  RunResult full = run({"mail", "--mbox", "-o", "full.txt"});
  ASSERT_EQ(full.status, 0) << full.err;
  RunOptions o;
  o.interrupt_after_seconds = 0.5;
  const RunResult r = run({"mail", "--mbox", "-o", "out.txt"},
                          "MAILSIFT_FAULT_READ_STALL=box.mbox:" + std::to_string(box.size() / 2), o);
  EXPECT_TRUE(r.signalled);
  EXPECT_EQ(r.status, 2) << r.err;
  const std::string report = read_file(dir_ + "/out.txt");
  EXPECT_EQ(interrupted_report_problem(report, read_file(dir_ + "/full.txt")), "");
  const int rows = count_rows(report, mail_ + "/box.mbox#");
  EXPECT_LT(rows, 12000);
  EXPECT_EQ(count_rows(r.err, mail_ + "/box.mbox#"), rows);
  EXPECT_NE(r.err.find("\n  " + std::to_string(rows) + " messages in " +
                       std::to_string(rows > 0 ? 1 : 0) + " mbox files\n"),
            std::string::npos)
      << r.err;
}

// 30 MB of archive with one message of 20 MB: the windows and the texts in
// flight bound the memory, and the large message is read as it is scanned.
TEST_P(MboxE2E, MemoryStaysBoundedByTheWindows) {
  std::string large = "From big Mon Jan  1 00:00:00 2024\nFrom: big@example.com\n\n";
  while (large.size() < (20u << 20)) large += "A line of the large message's body.\n";
  large += "Subject: at the end\n\n";
  write_file(mail_ + "/box.mbox", small_messages(25000) + large + small_messages(25000));
  RunOptions o;
  o.measure_memory = true;
  const RunResult r = run({"mail", "--mbox", "-o", "out.txt"}, "", o);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_NE(r.err.find("\n  0 directories, 50002 files\n  50001 messages in 1 mbox files\n"),
            std::string::npos)
      << r.err;
  const std::string report = read_file(dir_ + "/out.txt");
  EXPECT_NE(report.find("\n" + mail_ + "/box.mbox#25001|" + std::to_string(large.size() - 35) +
                        "|"),
            std::string::npos);
  EXPECT_NE(report.find("(#1:) Subject: at the end"), std::string::npos);
#ifndef MAILSIFT_SANITIZED
  EXPECT_LT(r.peak_rss_kib, 40 << 10) << "peak RSS in KiB";
#endif
}

INSTANTIATE_TEST_SUITE_P(Jobs, MboxE2E, ::testing::ValuesIn(kJobCounts),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return "jobs" + std::to_string(param.param);
                         });

}  // namespace
}  // namespace mailsift::test
