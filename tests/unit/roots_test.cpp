#include "walk/roots.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/platform.h"
#include "walk/match_pattern.h"

namespace mailsift {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class RootsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx_.attach_test_streams(&out_, &err_, &report_);
    dir_ = fs::temp_directory_path() /
           ("mailsift_roots_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "mail" / "sub");
    std::ofstream(dir_ / "mail" / "inbox.eml") << "x";
    base_ = dir_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  RunContext ctx_;
  std::string out_, err_, report_;
  fs::path dir_;
  std::string base_;
};

TEST_F(RootsTest, StoredFormAndDuplicates) {
  std::string cwd;
  ASSERT_TRUE(platform::current_directory(cwd));
  add_root(ctx_, ".");
  add_root(ctx_, cwd + "/");
  add_root(ctx_, cwd);
  add_root(ctx_, base_ + "/mail/sub/../");
  add_root(ctx_, base_ + "//mail/./");
  add_root(ctx_, base_ + "/MAIL");  // another name, another directory
  add_root(ctx_, "/");
  add_root(ctx_, "/..");
  EXPECT_EQ(ctx_.lists.roots, (Strings{cwd, base_ + "/mail", base_ + "/MAIL", "/"}));
  // A path too long to be made absolute is ignored.
  add_root(ctx_, "/" + std::string(platform::kMaxPath, 'a'));
  EXPECT_EQ(ctx_.lists.roots.size(), 4u);
  add_current_directory(ctx_);
  EXPECT_EQ(ctx_.lists.roots.size(), 4u);
}

TEST_F(RootsTest, PathArguments) {
  const std::string mail = base_ + "/mail";
  add_path_argument(ctx_, mail + "/");  // existing directory: a root
  add_path_argument(ctx_, mail + "/*.eml");
  add_path_argument(ctx_, mail + "/inbox.eml");  // existing file: its name is the pattern
  add_path_argument(ctx_, mail + "/nothere");    // missing: directory and name
  add_path_argument(ctx_, base_ + "/other/*.msg");
  add_path_argument(ctx_, mail + "/sub/");
  add_path_argument(ctx_, "/top.eml");  // a name right under the file-system root
  EXPECT_EQ(ctx_.lists.roots, (Strings{mail, base_ + "/other", mail + "/sub", "/"}));
  EXPECT_EQ(ctx_.lists.name_patterns,
            (Strings{"*.eml", "inbox.eml", "nothere", "*.msg", "top.eml"}));
}

TEST_F(RootsTest, NamePatternsKeepTheirCase) {
  add_name_pattern(ctx_, "*.eml");
  add_name_pattern(ctx_, "*.EML");
  add_name_pattern(ctx_, "*.eml");
  EXPECT_EQ(ctx_.lists.name_patterns, (Strings{"*.eml", "*.EML"}));
}

TEST_F(RootsTest, ExclusionLists) {
  // "-x a" then "-x b": the second list replaces the first.
  begin_exclusions(ctx_);
  add_exclusion(ctx_, "a");
  end_exclusions(ctx_);
  begin_exclusions(ctx_);
  add_exclusion(ctx_, "b");
  end_exclusions(ctx_);
  EXPECT_EQ(ctx_.lists.exclusions, (Strings{"B"}));
  // "-x a" then the one-at-a-time form with b: both.
  begin_exclusions(ctx_);
  add_exclusion(ctx_, "a");
  end_exclusions(ctx_);
  add_exclusion(ctx_, "b");
  EXPECT_EQ(ctx_.lists.exclusions, (Strings{"A", "B"}));
  // Only ASCII letters are upper-cased.
  add_exclusion(ctx_, "caf\xC3\xA9*");
  EXPECT_EQ(ctx_.lists.exclusions.back(), "CAF\xC3\xA9*");
  EXPECT_TRUE(is_excluded(ctx_.lists.exclusions, "b"));
  EXPECT_TRUE(is_excluded(ctx_.lists.exclusions, "Caf\xC3\xA9.eml"));
  EXPECT_FALSE(is_excluded(ctx_.lists.exclusions, "ab"));
  begin_exclusions(ctx_);
  EXPECT_FALSE(is_excluded(ctx_.lists.exclusions, "anything"));
}

TEST_F(RootsTest, AtMostEightyExclusions) {
  begin_exclusions(ctx_);
  for (int i = 0; i < 80; ++i) add_exclusion(ctx_, "*." + std::to_string(i));
  end_exclusions(ctx_);
  EXPECT_EQ(ctx_.lists.exclusions.size(), 80u);
  EXPECT_TRUE(is_excluded(ctx_.lists.exclusions, "m.79"));
  EXPECT_TRUE(is_excluded(ctx_.lists.exclusions, "m.0"));
  EXPECT_EQ(err_, "");

  begin_exclusions(ctx_);
  for (int i = 0; i < 81; ++i) add_exclusion(ctx_, "*." + std::to_string(i));
  try {
    end_exclusions(ctx_);
    ADD_FAILURE() << "81 exclusions were accepted";
  } catch (const RunExit& exit) {
    EXPECT_EQ(exit.code, kIllegalOption);
  }
  EXPECT_NE(err_.find("\nYou have too many -eXclude file types.\nMax exclude types is 80\n"),
            std::string::npos)
      << err_;
}

}  // namespace
}  // namespace mailsift
