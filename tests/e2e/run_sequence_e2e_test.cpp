#include <gtest/gtest.h>

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

}  // namespace
}  // namespace mailsift::test
