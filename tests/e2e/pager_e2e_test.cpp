#include <gtest/gtest.h>

#include "e2e/process_runner.h"
#include "e2e/pty_runner.h"

namespace mailsift::test {
namespace {

class PagerE2E : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_scratch_dir(); }
  void TearDown() override { remove_tree(dir_); }
  PtyResult run(const std::vector<std::string>& args, const std::vector<std::string>& keys) {
    return run_on_pty(args, clean_env(dir_), dir_, keys);
  }
  std::string dir_;
};

const char* kLastLine = "new_do_eml last updated: ";
const char* kSecondPage = "causes output file to be named with todays date";

TEST_F(PagerE2E, EnterAndOtherKeysTurnThePages) {
  PtyResult r = run({"--help"}, {"\r", "a", " "});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.prompts, 3);
  EXPECT_EQ(r.keys_sent, 3);
  EXPECT_NE(r.terminal.find(kLastLine), std::string::npos);
  // The prompt follows a blank line and is centred in 80 columns (the
  // terminal shows each line end as CR LF).
  EXPECT_NE(r.terminal.find("\r\n" + std::string(23, ' ') + "RETURN TO CONTINUE, ^C or x==exit"),
            std::string::npos);
  EXPECT_EQ(r.out, "");
  EXPECT_TRUE(r.restored);
}

TEST_F(PagerE2E, BareRunPagesToo) {
  PtyResult r = run({}, {"\r", "\r", "\r"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.prompts, 3);
  EXPECT_NE(r.terminal.find(kLastLine), std::string::npos);
}

TEST_F(PagerE2E, ExitKeysEndWithStatusSix) {
  for (const std::string key : {"x", "X", "\x1b", "\x03"}) {
    PtyResult r = run({"-h"}, {key});
    EXPECT_EQ(r.status, 6) << static_cast<int>(key[0]);
    EXPECT_EQ(r.prompts, 1);
    EXPECT_EQ(r.terminal.find(kSecondPage), std::string::npos);
    EXPECT_EQ(r.terminal.find("Abnormal termination"), std::string::npos);  // plain exit
    EXPECT_TRUE(r.restored) << static_cast<int>(key[0]);
  }
}

TEST_F(PagerE2E, LaterPageExitAndOptionUsage) {
  PtyResult r = run({"-?"}, {"\r", "x"});
  EXPECT_EQ(r.status, 6);
  EXPECT_EQ(r.prompts, 2);
  EXPECT_NE(r.terminal.find(kSecondPage), std::string::npos);
  EXPECT_EQ(r.terminal.find(kLastLine), std::string::npos);
  PtyResult through = run({"-?"}, {"\r", "\r", "\r"});
  EXPECT_EQ(through.status, 6);
  EXPECT_NE(through.terminal.find("Abnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION"),
            std::string::npos);
}

TEST_F(PagerE2E, UnicodeBoxOnUtf8Terminal) {
  std::vector<std::string> env = clean_env(dir_);
  for (std::string& e : env) {
    if (e.rfind("LANG=", 0) == 0) e = "LANG=C.UTF-8";
    if (e.rfind("LC_ALL=", 0) == 0) e = "LC_ALL=C.UTF-8";
  }
  PtyResult r = run_on_pty({"--help"}, env, dir_, {"\r", "\r", "\r"});
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.terminal.find("  \u2554\u2550\u2550"), std::string::npos);
  EXPECT_NE(r.terminal.find("\u221A (32 bit unicode) "), std::string::npos);
  EXPECT_EQ(r.terminal.find('\xC9'), std::string::npos);
}

}  // namespace
}  // namespace mailsift::test
