// Which files a run reports for the selection options. These runs need the
// directory walk, the dispatch and the report rows.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ctime>
#include <set>
#include <sstream>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

class SelectionE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    make_dirs(dir_ + "/mail/sub");
  }
  void TearDown() override { remove_tree(dir_); }
  RunOptions opts() {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.timeout_seconds = 30;
    return o;
  }
  std::string mail(const std::string& name) { return dir_ + "/mail/" + name; }
  void message(const std::string& name, std::size_t size = 60) {
    std::string text = "From: a@example.com\nSubject: s\n\nbody\n";
    text.resize(size, 'x');
    write_file(mail(name), text);
  }
  // Sets the file's write and access times to `days` days before now.
  void age(const std::string& name, int days) {
    time_t t = time(nullptr) - static_cast<time_t>(days) * 86400;
    timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, mail(name).c_str(), times, 0), 0);
  }
  // The first column of every report row that names a file of the tree.
  std::set<std::string> reported(const std::vector<std::string>& args) {
    RunResult r = run_mailsift(args, opts());
    EXPECT_EQ(r.status, 0) << r.err;
    std::set<std::string> files;
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
      std::string first = line.substr(0, line.find('|'));
      if (first.rfind(dir_ + "/mail/", 0) == 0) files.insert(first.substr(dir_.size() + 6));
    }
    return files;
  }
  std::string dir_;
};

using Names = std::set<std::string>;

TEST_F(SelectionE2E, LeadingPathAndNoRecursion) {
  message("a.eml");
  message("sub/b.eml");
  EXPECT_EQ(reported({dir_ + "/mail"}), (Names{"a.eml", "sub/b.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-r"}), (Names{"a.eml"}));
}

TEST_F(SelectionE2E, PatternsAndExclusions) {
  message("a.eml");
  message("b.txt");
  message("c.bak");
  message("sub/d.eml");
  EXPECT_EQ(reported({"-p", dir_ + "/mail", "-f", "*.eml", "-x", "*.bak"}),
            (Names{"a.eml", "sub/d.eml"}));
  EXPECT_EQ(reported({"-p", dir_ + "/mail", "-f", "*.eml", "*.bak", "-x", "*.bak"}),
            (Names{"a.eml", "sub/d.eml"}));
  EXPECT_EQ(reported({"-p", dir_ + "/mail", "-f", "*.eml", "*.bak"}),
            (Names{"a.eml", "c.bak", "sub/d.eml"}));
}

TEST_F(SelectionE2E, AgeLimitsInDays) {
  message("old.eml");
  message("new.eml");
  message("sub/mid.eml");
  age("old.eml", 100);
  age("new.eml", 1);
  age("sub/mid.eml", 40);
  EXPECT_EQ(reported({dir_ + "/mail", "-g", "30"}), (Names{"old.eml", "sub/mid.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-l", "30"}), (Names{"new.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-g", "30", "-l", "50"}), (Names{"sub/mid.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "--older=200"}), (Names{}));
}

TEST_F(SelectionE2E, AgeLimitWithDateWindow) {
  message("old.eml");
  message("new.eml");
  age("old.eml", 400);
  age("new.eml", 2);
  time_t limit = time(nullptr) - 30 * 86400;
  tm date{};
  gmtime_r(&limit, &date);  // the run's zone is UTC
  char text[32];
  strftime(text, sizeof text, "%m-%d-%Y", &date);
  EXPECT_EQ(reported({dir_ + "/mail", "-g", std::string(text) + "w"}), (Names{"old.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-l", std::string(text) + "w"}), (Names{"new.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-g", text}), (Names{"old.eml"}));
}

TEST_F(SelectionE2E, SizeLimits) {
  message("small.eml", 50);
  message("exact.eml", 100);
  message("big.eml", 200);
  EXPECT_EQ(reported({dir_ + "/mail", "-G", "100"}), (Names{"exact.eml", "big.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-L", "100"}), (Names{"small.eml", "exact.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "-G100", "-L100"}), (Names{"exact.eml"}));
  EXPECT_EQ(reported({dir_ + "/mail", "--greater=200", "--lessthan=100"}), (Names{}));
}

}  // namespace
}  // namespace mailsift::test
