// The sample messages through the real binary: one row per file, compared
// with the golden report.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

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

}  // namespace
}  // namespace mailsift::test
