#include "config/run_lists.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "unit/config_test_support.h"
#include "walk/match_pattern.h"

namespace mailsift::test {
namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class RootsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("mailsift_roots_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) +
            "_" + ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_ / "mail" / "sub");
    std::ofstream(dir_ / "mail" / "inbox.eml") << "x";
    base_ = dir_.string();
  }
  void TearDown() override { fs::remove_all(dir_); }

  RunLists lists_;
  fs::path dir_;
  std::string base_;
};

TEST_F(RootsTest, StoredFormAndDuplicates) {
  std::string cwd;
  ASSERT_TRUE(platform::current_directory(cwd));
  add_root(lists_, ".");
  add_root(lists_, cwd + "/");
  add_root(lists_, cwd);
  add_root(lists_, base_ + "/mail/sub/../");
  add_root(lists_, base_ + "//mail/./");
  add_root(lists_, base_ + "/MAIL");  // another name, another directory
  add_root(lists_, "/");
  add_root(lists_, "/..");
  EXPECT_EQ(lists_.roots, (Strings{cwd, base_ + "/mail", base_ + "/MAIL", "/"}));
  // A path too long to be made absolute is ignored.
  add_root(lists_, "/" + std::string(platform::kMaxPath, 'a'));
  EXPECT_EQ(lists_.roots.size(), 4u);
  add_current_directory(lists_);
  EXPECT_EQ(lists_.roots.size(), 4u);
}

TEST_F(RootsTest, PathArguments) {
  const std::string mail = base_ + "/mail";
  add_path_argument(lists_, mail + "/");  // existing directory: a root
  add_path_argument(lists_, mail + "/*.eml");
  add_path_argument(lists_, mail + "/inbox.eml");  // existing file: its name is the pattern
  add_path_argument(lists_, mail + "/nothere");    // missing: directory and name
  add_path_argument(lists_, base_ + "/other/*.msg");
  add_path_argument(lists_, mail + "/sub/");
  add_path_argument(lists_, "/top.eml");  // a name right under the file-system root
  EXPECT_EQ(lists_.roots, (Strings{mail, base_ + "/other", mail + "/sub", "/"}));
  EXPECT_EQ(lists_.name_patterns, (Strings{"*.eml", "inbox.eml", "nothere", "*.msg", "top.eml"}));
}

TEST_F(RootsTest, NamePatternsKeepTheirCase) {
  add_name_pattern(lists_, "*.eml");
  add_name_pattern(lists_, "*.EML");
  add_name_pattern(lists_, "*.eml");
  EXPECT_EQ(lists_.name_patterns, (Strings{"*.eml", "*.EML"}));
}

TEST_F(RootsTest, ExclusionLists) {
  // "-x a" then "-x b": the second list replaces the first.
  ParsedRun replaced;
  replaced.parse({"-x", "a", "-x", "b"});
  EXPECT_EQ(replaced.c.lists.exclusions, (Strings{"B"}));
  // Only ASCII letters are upper-cased.
  add_exclusion(lists_, "b");
  add_exclusion(lists_, "caf\xC3\xA9*");
  EXPECT_EQ(lists_.exclusions.back(), "CAF\xC3\xA9*");
  EXPECT_TRUE(is_excluded(lists_.exclusions, "b"));
  EXPECT_TRUE(is_excluded(lists_.exclusions, "Caf\xC3\xA9.eml"));
  EXPECT_FALSE(is_excluded(lists_.exclusions, "ab"));
  lists_.exclusions.clear();
  EXPECT_FALSE(is_excluded(lists_.exclusions, "anything"));
}

TEST(RunLists, AtMostEightyExclusions) {
  std::vector<std::string> args{"-x"};
  for (int i = 0; i < 80; ++i) args.push_back("*." + std::to_string(i));
  ParsedRun eighty;
  EXPECT_EQ(eighty.parse(args), -1);
  EXPECT_EQ(eighty.c.lists.exclusions.size(), 80u);
  EXPECT_TRUE(is_excluded(eighty.c.lists.exclusions, "m.79"));
  EXPECT_TRUE(is_excluded(eighty.c.lists.exclusions, "m.0"));
  EXPECT_EQ(eighty.err, "");

  args.push_back("*.80");
  ParsedRun too_many;
  EXPECT_EQ(too_many.parse(args), kIllegalOption);
  EXPECT_EQ(
      too_many.err.rfind("\nYou have too many -eXclude file types.\nMax exclude types is 80\n", 0),
      0u)
      << too_many.err;
}

}  // namespace
}  // namespace mailsift::test
