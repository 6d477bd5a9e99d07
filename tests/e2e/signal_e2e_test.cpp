// Signals under load: runs over a tree of a few thousand messages, each
// stopped by SIGINT, SIGTERM or SIGHUP at a random moment, must all end the
// same orderly way: status 2, a report of whole rows that is a prefix of the
// uninterrupted one with a row for every progress line shown, and a log that
// ends with its closing lines.
#include <gtest/gtest.h>
#include <signal.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

constexpr int kFiles = 3000;
constexpr int kRuns = 50;

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
      }
    }
  }
  void TearDown() override { remove_tree(dir_); }
  std::string dir_;
};

TEST_P(SignalE2E, StressSignalsAtRandomMoments) {
  std::vector<std::string> args = {"tree", "-o", "out.txt", "-1", "run.log"};
  for (const std::string& a : job_args(GetParam())) args.push_back(a);
  RunOptions o;
  o.cwd = dir_;
  o.env = clean_env(dir_);
  RunResult reference = run_mailsift(args, o);
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::string full = read_file(dir_ + "/out.txt");
  const std::string rows_start = dir_ + "/tree/";
  ASSERT_EQ(count_rows(full, rows_start), kFiles);

  const unsigned seed = std::random_device{}();
  std::mt19937 random(seed);
  const int signals[] = {SIGINT, SIGTERM, SIGHUP};
  for (int run = 0; run < kRuns; ++run) {
    // The moment: when the k-th progress line shows, or (k = 0) when the
    // counting pass starts. Standard error is a pipe of at most 64 KiB, so
    // the run cannot have got more than about a thousand files further and
    // ends with files still to go.
    const int k = static_cast<int>(random() % 1500);
    const int signal_number = signals[random() % 3];
    SCOPED_TRACE("seed " + std::to_string(seed) + " run " + std::to_string(run) + " signal " +
                 std::to_string(signal_number) + " at line " + std::to_string(k));
    std::vector<std::string> run_args = args;
    if (k == 0 || random() % 4 == 0) run_args.push_back("--im");
    RunOptions ro = o;
    ro.interrupt_signal = signal_number;
    ro.interrupt_when = [k, &rows_start](const std::string& err) {
      if (k == 0) return err.find("Counting files: ") != std::string::npos;
      return count_rows(err, rows_start) >= k;
    };
    std::remove((dir_ + "/run.log").c_str());
    RunResult r = run_mailsift(run_args, ro);
    ASSERT_EQ(r.status, 2) << r.err.substr(r.err.size() > 2000 ? r.err.size() - 2000 : 0);
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
    const std::string report = read_file(dir_ + "/out.txt");
    ASSERT_EQ(interrupted_report_problem(report, full), "");
    // A row for every progress line shown, and no more.
    const int rows = count_rows(report, rows_start);
    EXPECT_EQ(rows, count_rows(r.err, rows_start));
    EXPECT_LT(rows, kFiles);
    const std::size_t files = r.err.rfind(", " + std::to_string(rows) + " files\n");
    EXPECT_NE(files, std::string::npos);
    EXPECT_EQ(r.err.rfind(" director", files), r.err.rfind(" director")) << "summary";
    EXPECT_EQ(closed_log_problem(read_file(dir_ + "/run.log"), "USER_ABORTED"), "");
  }
}

INSTANTIATE_TEST_SUITE_P(Jobs, SignalE2E, ::testing::ValuesIn(kJobCounts),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return "jobs" + std::to_string(param.param);
                         });

}  // namespace
}  // namespace mailsift::test
