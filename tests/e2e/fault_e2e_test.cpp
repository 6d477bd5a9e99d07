// Injected faults, end to end: the real binary with the fault library
// (tests/fault/) preloaded, or with real descriptor limits. What each fault
// must do is the README's table "When something fails"; beyond the fault
// itself nothing is lost: rows before it are whole and intact and the log
// ends with its closing lines.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

std::string two_digits(int i) {
  return std::string(1, static_cast<char>('0' + i / 10)) + static_cast<char>('0' + i % 10);
}

class FaultE2E : public ::testing::TestWithParam<int> {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    mail_ = dir_ + "/mail";
    make_dirs(mail_);
    for (int i = 0; i < 12; ++i) {
      write_file(mail_ + "/m" + two_digits(i) + ".eml",
                 "From: sender" + std::to_string(i) + "@example.com\nSubject: message " +
                     std::to_string(i) + "\n\n" + std::string(200, 'b') + "\n");
    }
    // Its first 40 bytes hold the From line; the Subject lies beyond them.
    write_file(mail_ + "/m05.eml", "From: early@example.com\n" + std::string(100, 'x') +
                                       "\nSubject: never read\n\nbody\n");
  }
  void TearDown() override { remove_tree(dir_); }

  // Runs with the fault library loaded and `fault` ("NAME=value") set.
  RunOptions options(const std::string& fault) {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.env.push_back(std::string("LD_PRELOAD=") + MAILSIFT_FAULT_SHIM);
    // A sanitizer build wants its runtime first; the fault library is not
    // instrumented and may come before it.
    o.env.push_back("ASAN_OPTIONS=verify_asan_link_order=0");
    if (!fault.empty()) add_fault(o.env, fault);
    return o;
  }
  // A run of `args` plus the job count, with `fault` set.
  RunResult run(std::vector<std::string> args, const std::string& fault,
                const std::string& stdout_path = "", RunOptions o = {}) {
    for (const std::string& a : job_args(GetParam())) args.push_back(a);
    if (o.cwd.empty()) o = options(fault);
    o.stdout_path = stdout_path;
    return run_mailsift(args, o);
  }
  std::string file(const std::string& name) { return read_file(dir_ + "/" + name); }
  std::string progress(const std::string& name) { return "\n" + mail_ + "/" + name + "   "; }

  std::string dir_, mail_;
};

// The row of the file at `path` in a report.
std::string row_of(const std::string& report, const std::string& path) {
  std::size_t at = report.find("\n" + path + "|");
  if (at == std::string::npos) return "";
  std::size_t end = report.find('\n', at + 1);
  return report.substr(at + 1, end == std::string::npos ? std::string::npos : end - at - 1);
}

// Every row of `report` but the one of `path` is the reference's row.
void expect_rows_but_one(const std::string& report, const std::string& reference,
                         const std::string& path) {
  const std::string mine = row_of(report, path), theirs = row_of(reference, path);
  ASSERT_FALSE(mine.empty()) << report;
  std::string rest = report, reference_rest = reference;
  rest.erase(rest.find(mine), mine.size());
  reference_rest.erase(reference_rest.find(theirs), theirs.size());
  EXPECT_EQ(rest, reference_rest);
}

// A message that cannot be read completely keeps its row, built from what was
// read; one warning follows its progress line; the run goes on to the end and
// ends with READ_ERROR (11).
TEST_P(FaultE2E, UnreadableMessageKeepsItsRowAndEndsWithReadError) {
  const std::vector<std::string> args = {"mail", "-o", "out.txt", "-1", "run.log"};
  RunResult reference = run(args, "");
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::string full = file("out.txt");
  struct Case {
    const char* fault;
    const char* reason;
    bool first_bytes_read;
  };
  for (const Case& c : {Case{"MAILSIFT_FAULT_READ_EIO=m05.eml:40", "Input/output error", true},
                        Case{"MAILSIFT_FAULT_OPEN_EACCES=m05.eml", "Permission denied", false}}) {
    SCOPED_TRACE(c.fault);
    RunResult r = run(args, c.fault);
    EXPECT_EQ(r.status, 11) << r.err;
    const std::string warning =
        "\ncan't read file " + mail_ + "/m05.eml (" + c.reason + ")" + progress("m06.eml");
    const std::size_t line = r.err.find(progress("m05.eml"));
    ASSERT_NE(line, std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(warning), r.err.find(" Bytes", line) + 6) << r.err;
    EXPECT_EQ(r.err.find("can't read file"), r.err.rfind("can't read file")) << "one warning";
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: READ_ERROR\n\n"), std::string::npos);
    EXPECT_NE(r.err.find("\n  0 directories, 12 files\n"), std::string::npos) << r.err;
    const std::string report = file("out.txt");
    EXPECT_EQ(count_rows(report, mail_), 12);
    const std::string row = row_of(report, mail_ + "/m05.eml");
    EXPECT_EQ(row.find("early@example.com") != std::string::npos, c.first_bytes_read) << row;
    EXPECT_EQ(row.find("never read"), std::string::npos) << row;
    expect_rows_but_one(report, full, mail_ + "/m05.eml");
    EXPECT_EQ(closed_log_problem(file("run.log"), "READ_ERROR"), "");
  }
}

// A directory that cannot be opened gets one warning in its place in the walk
// (also with the counting pass, which walks it too), the run goes on and ends
// with READ_ERROR (11); a root that cannot be opened likewise.
TEST_P(FaultE2E, UnsearchableDirectoryIsWarnedInItsPlace) {
  for (const char* sub : {"a", "locked", "z"}) {
    make_dirs(mail_ + "/" + sub);
    write_file(mail_ + "/" + sub + "/" + sub + ".eml", "Subject: in " + std::string(sub) + "\n");
  }
  struct Case {
    std::vector<std::string> args;
    const char* locked;         // the directory refused
    const char* warned_after;   // the progress line the warning follows ("" none)
    const char* warned_before;  // the progress line after the warning ("" none)
    const char* summary;
  };
  const std::vector<Case> cases = {
      {{"mail", "-o", "out.txt", "-1", "run.log"}, "locked", "a/a.eml", "z/z.eml",
       "\n  3 directories, 14 files\n"},
      {{"mail", "-o", "out.txt", "-1", "run.log", "--im"}, "locked", "a/a.eml", "z/z.eml",
       "\n  3 directories, 14 files\n"},
      {{"mail", "-o", "out.txt", "-1", "run.log"}, "mail", "", "", "\n  0 directories, 0 files\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.locked + std::string(c.args.size() > 5 ? " counted" : ""));
    remove_tree(dir_ + "/run.log");
    RunResult r = run(c.args, std::string("MAILSIFT_FAULT_OPENDIR_EACCES=") + c.locked);
    EXPECT_EQ(r.status, 11) << r.err;
    const std::string shown = c.locked == std::string("mail") ? mail_ : mail_ + "/" + c.locked;
    const std::string warning = "\ncan't read directory " + shown + " (Permission denied)";
    const std::size_t at = r.err.find(warning);
    ASSERT_NE(at, std::string::npos) << r.err;
    EXPECT_EQ(at, r.err.rfind(warning)) << "one warning";
    if (*c.warned_after != '\0') {
      const std::size_t before = r.err.find(progress(c.warned_after));
      ASSERT_NE(before, std::string::npos) << r.err;
      EXPECT_EQ(at, r.err.find(" Bytes", before) + 6) << r.err;
      EXPECT_EQ(r.err.compare(at + warning.size(), progress(c.warned_before).size(),
                              progress(c.warned_before)),
                0)
          << r.err;
    }
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: READ_ERROR\n\n"), std::string::npos);
    EXPECT_NE(r.err.find(c.summary), std::string::npos) << r.err;
    EXPECT_EQ(file("out.txt").find("/locked/"), std::string::npos);
    EXPECT_EQ(closed_log_problem(file("run.log"), "READ_ERROR"), "");
  }
}

// Standard error on a pipe: a file's progress line arrives while that file
// is being read (a read that stalls holds it open), and a signal sent then
// completes that file's row from what was read and ends the run with 2.
TEST_P(FaultE2E, ProgressLineShowsWhileItsFileIsReadAndASignalCompletesItsRow) {
  // Larger than the files the writing thread of the parallel scan reads
  // itself, so a worker reads it.
  std::string body;
  while (body.size() < (2u << 20)) body += "A line of a long message's body.\n";
  write_file(mail_ + "/m05.eml", "From: early@example.com\n" + body + "Subject: never read\n");
  const std::vector<std::string> args = {"mail", "-o", "out.txt", "-1", "run.log"};
  for (const int signal_number : {SIGTERM, SIGINT}) {
    SCOPED_TRACE("signal " + std::to_string(signal_number));
    RunOptions o = options("MAILSIFT_FAULT_READ_STALL=m05.eml:40");
    o.interrupt_signal = signal_number;
    const std::string stalled = progress("m05.eml");
    o.interrupt_when = [stalled](const std::string& err) {
      return err.find(stalled) != std::string::npos;
    };
    RunResult r = run(args, "", "", o);
    EXPECT_TRUE(r.signalled) << r.err;
    EXPECT_EQ(r.status, 2) << r.err;
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: USER_ABORTED\n\n"), std::string::npos);
    // The stalled file's row is the last one, holding no more than was read
    // before the signal (had its progress line come only when the stall
    // ended, the file would have been read to its end); the summary counts
    // the rows written.
    const std::string report = file("out.txt");
    EXPECT_EQ(count_rows(report, mail_), 6) << report;
    EXPECT_EQ(count_rows(r.err, mail_), 6) << r.err;
    const std::string row = row_of(report, mail_ + "/m05.eml");
    EXPECT_NE(row, "");
    EXPECT_EQ(row.find("never read"), std::string::npos) << row;
    EXPECT_NE(r.err.find("\n  0 directories, 6 files\n"), std::string::npos) << r.err;
    EXPECT_EQ(closed_log_problem(file("run.log"), "USER_ABORTED"), "");
  }
}

// A report that cannot be written completely ends the run at once with
// WRITE_ERROR (9): the report holds what fitted, a byte prefix of the whole
// report, every row before the fault intact; the log is closed.
TEST_P(FaultE2E, FullDiskUnderTheReportEndsWithWriteError) {
  // One hundred rows of about 30 KB: the 1 MiB report buffer is written out
  // while the walk goes on, so the disk fills in the middle of the run.
  make_dirs(dir_ + "/big");
  std::string to_lines;
  for (int i = 0; i < 1000; ++i) to_lines += "To: person-" + std::to_string(i) + "@example.com\n";
  for (int i = 0; i < 100; ++i) write_file(dir_ + "/big/b" + two_digits(i) + ".eml", to_lines);
  struct Case {
    std::vector<std::string> args;
    std::string stdout_path;  // the report on a redirected standard output
    long budget;
    bool stops_early;  // the fault comes while files remain to be scanned
  };
  const std::vector<Case> cases = {
      {{"big", "-o", "out.txt", "-1", "run.log"}, "", 1500000, true},
      {{"big", "-1", "run.log"}, "out.txt", 1500000, true},
      {{"mail", "-o", "out.txt", "-1", "run.log"}, "", 700, false},
      {{"mail", "-o", "out.txt", "-1", "run.log"}, "", 0, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " budget " + std::to_string(c.budget) + " " + c.stdout_path);
    RunResult reference = run(c.args, "", dir_ + "/reference.txt");
    ASSERT_EQ(reference.status, 0) << reference.err;
    const std::string full = c.stdout_path.empty() ? file("out.txt") : file("reference.txt");
    const std::string fault = "MAILSIFT_FAULT_WRITE_ENOSPC=out.txt:" + std::to_string(c.budget);
    RunResult r = run(c.args, fault, c.stdout_path.empty() ? "" : dir_ + "/" + c.stdout_path);
    EXPECT_EQ(r.status, 9) << r.err;
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: WRITE_ERROR\n\n"), std::string::npos);
    const std::string report = file("out.txt");
    EXPECT_EQ(report.size(), static_cast<std::size_t>(c.budget));
    EXPECT_EQ(full.compare(0, report.size(), report), 0) << "not a prefix of the whole report";
    const std::string root = dir_ + "/" + c.args[0] + "/";
    const int shown = count_rows(r.err, root);
    if (c.stops_early) {
      EXPECT_LT(shown, 100) << "the run went on after the fault";
    }
    EXPECT_EQ(closed_log_problem(file("run.log"), "WRITE_ERROR"), "");
  }
}

// The accounting log is the run's record: a log that cannot be written
// completely turns a normal end into WRITE_ERROR (9). The report is whole.
TEST_P(FaultE2E, FullDiskUnderTheLogEndsWithWriteError) {
  const std::vector<std::string> args = {"mail", "-o", "out.txt", "-1", "run.log"};
  RunResult reference = run(args, "");
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::string full = file("out.txt");
  const std::string full_log = file("run.log");
  for (long budget : {0L, 100L, static_cast<long>(full_log.size()) - 1}) {
    SCOPED_TRACE("log budget " + std::to_string(budget));
    remove_tree(dir_ + "/run.log");
    RunResult r = run(args, "MAILSIFT_FAULT_WRITE_ENOSPC=run.log:" + std::to_string(budget));
    EXPECT_EQ(r.status, 9) << r.err;
    EXPECT_NE(r.err.find("\nAbnormal termination. Reason: WRITE_ERROR\n\n"), std::string::npos);
    EXPECT_NE(r.err.find("\n  0 directories, 12 files\n"), std::string::npos) << r.err;
    EXPECT_EQ(file("out.txt"), full);
    const std::string log = file("run.log");
    EXPECT_EQ(log.size(), static_cast<std::size_t>(budget));
    // What fitted is the record's beginning (up to its start time, the same
    // in every run).
    const std::size_t same = std::min(log.size(), full_log.find(" Started "));
    EXPECT_EQ(log.substr(0, same), full_log.substr(0, same));
  }
}

// The walk holds one descriptor per level of the tree. Below the hard limit
// the soft one is raised once and nothing is missed; at the hard limit the
// directory beyond it is warned about like one that cannot be searched.
TEST_P(FaultE2E, DescriptorLimitWhileOpeningDirectories) {
  std::string path = dir_ + "/deep";
  for (int level = 0; level < 40; ++level) {
    path += "/d";
    make_dirs(path);
    write_file(path + "/m.eml", "Subject: level " + std::to_string(level) + "\n");
  }
  const std::vector<std::string> args = {"deep", "-o", "out.txt", "-1", "run.log"};
  RunResult reference = run(args, "");
  ASSERT_EQ(reference.status, 0) << reference.err;
  const std::string full = file("out.txt");
  ASSERT_EQ(count_rows(full, dir_ + "/deep/"), 40);
  struct Case {
    rlim_t soft, hard;
  };
  for (const Case& c : {Case{16, 4096}, Case{16, 16}}) {
    SCOPED_TRACE("soft " + std::to_string(c.soft) + " hard " + std::to_string(c.hard));
#ifdef MAILSIFT_SANITIZED
    // The sanitizers' own checks need a free descriptor (UBSan probes an
    // object's vtable through a pipe), so at the hard limit a sanitized
    // binary reports a sound object as corrupt. That case runs in the plain
    // build only.
    if (c.soft == c.hard) continue;
#endif
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.in_child = [c] {
      rlimit limit{c.soft, c.hard};
      setrlimit(RLIMIT_NOFILE, &limit);
    };
    std::vector<std::string> with_jobs = args;
    for (const std::string& a : job_args(GetParam())) with_jobs.push_back(a);
    RunResult r = run_mailsift(with_jobs, o);
    const std::string report = file("out.txt");
    const int rows = count_rows(report, dir_ + "/deep/");
    const std::string warning = "\ncan't read directory " + dir_ + "/deep/d";
    if (c.soft < c.hard) {
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(report, full);
      EXPECT_EQ(closed_log_problem(file("run.log"), ""), "");
    } else {
      // One warning, for the first directory that could not be read.
      EXPECT_EQ(r.status, 11) << r.err;
      const std::size_t at = r.err.find(warning);
      ASSERT_NE(at, std::string::npos) << r.err;
      const std::string line = r.err.substr(at + 1, r.err.find('\n', at + 1) - at - 1);
      EXPECT_EQ(line.substr(line.find(" (")), " (Too many open files)") << line;
      EXPECT_EQ(r.err.find("can't read"), at + 1) << r.err;
      EXPECT_EQ(r.err.rfind("can't read"), at + 1) << r.err;
      EXPECT_EQ(closed_log_problem(file("run.log"), "READ_ERROR"), "");
      // The deepest files come first in the walk; those are the ones missed.
      EXPECT_GT(rows, 3);
      EXPECT_LT(rows, 40);
      const std::string header = full.substr(0, full.find('\n'));
      EXPECT_EQ(report.substr(0, header.size()), header);
      const std::string tail = report.substr(header.size());
      EXPECT_EQ(full.compare(full.size() - tail.size(), tail.size(), tail), 0) << report;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Jobs, FaultE2E, ::testing::ValuesIn(kJobCounts),
                         [](const ::testing::TestParamInfo<int>& param) {
                           return "jobs" + std::to_string(param.param);
                         });

}  // namespace
}  // namespace mailsift::test
