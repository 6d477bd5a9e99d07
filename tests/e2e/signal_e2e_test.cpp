// Signals under load: runs over a tree of a few thousand messages, each
// stopped by SIGINT, SIGTERM or SIGHUP at a random moment, must all end the
// same orderly way: status 2, a report of whole rows that is a prefix of the
// uninterrupted one with a row for every progress line shown, a summary and a
// log that count those rows, and a log that ends with its closing lines.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

constexpr int kFiles = 3000;
constexpr int kRuns = 50;

// The file count of the last summary line ("N directories, M files") in
// `text`; -1 when there is none.
int counted_files(const std::string& text) {
  const std::size_t at = text.rfind(" director");
  const std::size_t comma = at == std::string::npos ? at : text.find(", ", at);
  return comma == std::string::npos ? -1 : std::atoi(text.c_str() + comma + 2);
}

class SignalE2E : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    std::mt19937 random(7);
    for (int d = 0; d < 30; ++d) {
      const std::string sub = dir_ + "/tree/d" + std::to_string(100 + d);
      make_dirs(sub);
      for (int f = 0; f < kFiles / 30; ++f) {
        std::string text = "From: sender" + std::to_string(f) + "@example.com\nTo: a@example.com\n";
        text += "Date: Tue, 3 Sep 2013 10:0" + std::to_string(f % 10) + ":00 -0400\n";
        text += "Subject: message " + std::to_string(f) + "\n\n";
        text += std::string(random() % 4000, 'b') + "\n";
        write_file(sub + "/m" + std::to_string(1000 + f) + ".eml", text);
        bytes_ += static_cast<long long>(text.size());
      }
    }
  }
  void TearDown() override { remove_tree(dir_); }
  std::string dir_;
  long long bytes_ = 0;  // of all messages
};

TEST_P(SignalE2E, StressSignalsAtRandomMoments) {
  std::vector<std::string> args = {"tree", "-o", "out.txt", "-1", "run.log"};
  for (const std::string& a : job_args(GetParam())) args.push_back(a);
  RunOptions o;
  o.cwd = dir_;
  o.env = clean_env(dir_);
  RunResult reference = run_mailsift(args, o);
  ASSERT_EQ(reference.status, 0) << reference.err;
  reference = run_mailsift(args, o);  // warm
  const std::string full = read_file(dir_ + "/out.txt");
  const std::string rows_start = dir_ + "/tree/";
  ASSERT_EQ(count_rows(full, rows_start), kFiles);

  // Reads through the ring do not count among the process's read bytes:
  // with every file read ahead, each moment is a time.
  const char* io = std::getenv("MAILSIFT_E2E_IO");
  const bool reads_counted = io == nullptr || std::string(io) != "ahead";
  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  int runs = 0, late = 0;
  while (runs < kRuns && late < kRuns) {
    // The moment: once the run has read a random share (up to half) of the
    // tree's bytes, or, with the counting pass on, after a random time up to
    // half the uninterrupted run's (counted from when the program catches the
    // signal), which also lands in the start-up and the counting pass.
    const bool by_time = !reads_counted || random() % 4 == 0;
    const int signal_number = signals[random() % 3];
    RunOptions ro = o;
    ro.interrupt_signal = signal_number;
    std::vector<std::string> run_args = args;
    if (by_time) {
      run_args.push_back("--im");
      ro.interrupt_after_seconds = reference.seconds * (1 + random() % 500) / 1000;
    } else {
      ro.interrupt_after_read_bytes = 1 + static_cast<long long>(random() % (bytes_ / 2));
    }
    SCOPED_TRACE("seed " + std::to_string(seed) + " run " + std::to_string(runs) + " signal " +
                 std::to_string(signal_number) + " after " +
                 std::to_string(ro.interrupt_after_read_bytes) + " bytes / " +
                 std::to_string(ro.interrupt_after_seconds) + " s");
    std::remove((dir_ + "/out.txt").c_str());
    std::remove((dir_ + "/run.log").c_str());
    RunResult r = run_mailsift(run_args, ro);
    // The run was over before its moment came, or the signal came after the
    // last row (a short run on a busy machine): a whole report, a normal end.
    const bool finished = r.status == 0 && std::filesystem::exists(dir_ + "/out.txt") &&
                          count_rows(read_file(dir_ + "/out.txt"), rows_start) == kFiles;
    if (!r.signalled || finished) {
      ++late;
      continue;
    }
    ++runs;
    ASSERT_EQ(r.status, 2) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
    // Stopped before the report was opened, or with whole rows only.
    const bool opened = std::filesystem::exists(dir_ + "/out.txt");
    const std::string report = opened ? read_file(dir_ + "/out.txt") : "";
    if (opened) {
      ASSERT_EQ(interrupted_report_problem(report, full), "");
    }
    // A row for every progress line shown, and no more.
    const int rows = count_rows(report, rows_start);
    EXPECT_EQ(rows, count_rows(r.err, rows_start));
    EXPECT_LT(rows, kFiles);
    // The summary and the log count the rows written, not the files
    // scanned ahead and dropped.
    const std::string log = read_file(dir_ + "/run.log");
    if (opened) {
      EXPECT_EQ(counted_files(r.err), rows);
      EXPECT_EQ(counted_files(log), rows);
    }
    EXPECT_EQ(closed_log_problem(log, "USER_ABORTED"), "");
  }
  EXPECT_EQ(runs, kRuns) << late << " runs were over before their moment";
  std::printf("%d signalled runs, %d over before the signal\n", runs, late);
}

INSTANTIATE_TEST_SUITE_P(Jobs, SignalE2E, ::testing::ValuesIn(kJobCounts),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return "jobs" + std::to_string(param.param);
                         });

}  // namespace
}  // namespace mailsift::test
