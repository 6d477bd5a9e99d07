// The sample messages through the real binary: one row per file, compared
// with the golden report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

struct Sample {
  const char* name;  // relative to samples/
  int year, month, day, hour, minute;
};

// Every sample, with the modification time the test gives it.
const std::vector<Sample> kSamples = {
    {"01-plain.eml", 2013, 8, 5, 14, 23},       {"02-folded.eml", 2013, 5, 31, 23, 0},
    {"03-forwarded.eml", 2013, 8, 6, 9, 15},    {"04-sent-first.eml", 2008, 12, 4, 8, 1},
    {"05-attachments.eml", 2013, 8, 7, 14, 31}, {"06-received-chain.eml", 2013, 8, 8, 12, 2},
    {"07-mozilla.eml", 2013, 8, 9, 8, 0},       {"08-mapi.eml", 2013, 8, 10, 10, 5},
    {"09-crlf.eml", 2013, 8, 11, 18, 46},       {"10-quoted-reply.eml", 2013, 8, 12, 8, 3},
    {"11-empty.eml", 2013, 8, 13, 0, 0},        {"12-soft-break-from.eml", 1999, 8, 5, 10, 30},
    {"noext-message", 2013, 9, 17, 9, 4},       {"sub/13-nested.eml", 2002, 1, 1, 5, 0},
};

class SamplesE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    // Modification times are set in local time; the binary runs with TZ=UTC.
    setenv("TZ", "UTC", 1);
    tzset();
    dir_ = make_scratch_dir();
    root_ = dir_ + "/mail";
    make_dirs(root_ + "/sub");
    for (const Sample& s : kSamples) {
      std::string target = root_ + "/" + s.name;
      write_file(target, read_file(std::string(MAILSIFT_SAMPLES_DIR) + "/" + s.name));
      set_mtime_local(target, s.year, s.month, s.day, s.hour, s.minute);
    }
  }
  void TearDown() override { remove_tree(dir_); }

  std::string dir_;
  std::string root_;
};

TEST_F(SamplesE2E, OneRowPerSampleInWalkOrder) {
  RunOptions o;
  o.cwd = dir_;
  o.env = clean_env(dir_);
  RunResult r = run_mailsift({root_}, o);
  EXPECT_EQ(r.status, 0) << r.err;

  // tests/golden/samples_report.txt holds the report with the root written
  // as {ROOT}; each row was derived by hand from the sample's bytes.
  std::string want = read_file(std::string(MAILSIFT_GOLDEN_DIR) + "/samples_report.txt");
  const std::string placeholder = "{ROOT}";
  for (std::size_t at = want.find(placeholder); at != std::string::npos;
       at = want.find(placeholder, at + root_.size())) {
    want.replace(at, placeholder.size(), root_);
  }
  const std::string& p = root_;
  EXPECT_EQ(r.out, want);
  // One progress line per message on standard error.
  EXPECT_NE(r.err.find("\n" + p + "/05-attachments.eml           529 Bytes"), std::string::npos)
      << r.err;
}

// Only a line feed is taken off a line: a message whose last text ends
// without one keeps every character, whatever ends it, in every job mode.
TEST_F(SamplesE2E, TextsWithoutALineFeedKeepEveryCharacter) {
  const std::string in = dir_ + "/ends";
  make_dirs(in);
  write_file(in + "/a.eml", "Subject: end of file");
  write_file(in + "/b.eml", "Subject: unfinished CR LF\r");
  write_file(in + "/c.eml", "Subject: Ctrl-Z\x1a ignored\n");
  write_file(in + "/d.eml", std::string("Subject: NUL\0 ignored\n", 22));
  write_file(in + "/e.eml", "Subject: " + std::string(32767 - 9, 'x') + "y\n");
  const std::string want = "(#1:) Subject: end of file  |(#1:) Subject: unfinished CR LF  |"
                           "(#1:) Subject: Ctrl-Z  |(#1:) Subject: NUL  |(#1:) Subject: " +
                           std::string(32767 - 9, 'x') + "  |";
  for (int jobs : kJobCounts) {
    SCOPED_TRACE("jobs " + std::to_string(jobs));
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    std::vector<std::string> args = {in};
    for (const std::string& a : job_args(jobs)) args.push_back(a);
    const RunResult r = run_mailsift(args, o);
    EXPECT_EQ(r.status, 0) << r.err;
    // The Subject column of every row, in walk order.
    std::string subjects;
    for (std::size_t row = r.out.find('\n'); row != std::string::npos;
         row = r.out.find('\n', row + 1)) {
      std::size_t at = row;
      for (int column = 0; column < 10; ++column) at = r.out.find('|', at + 1);
      subjects += r.out.substr(at + 1, r.out.find('|', at + 1) - at - 1) + "|";
    }
    EXPECT_EQ(subjects, want);
  }
}

}  // namespace
}  // namespace mailsift::test
