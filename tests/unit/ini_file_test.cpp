#include "config/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

using testing_support::ScratchDir;
using testing_support::WorkingDir;
using testing_support::write_bytes;

// The text of every action, as describe() gives it.
std::string actions_of(const char* ini, ConfigEnvironment env = {}) {
  return describe(configure_with({"/mail"}, ini, std::move(env)).actions);
}

TEST(IniDirectives, ValuesAndTableOrder) {
  struct Case {
    const char* ini;
    std::function<bool(const Configuration&)> holds;
  };
  const Case cases[] = {
      // Switches: ON or YES anywhere turns on, OFF (tested last) off; a value
      // with neither leaves the row's first value.
      {"APPEND=OFF", [](const Configuration& c) { return !c.report.append; }},
      {"APPEND", [](const Configuration& c) { return c.report.append; }},
      {"APPEND=OFF\nAPPEND=NO", [](const Configuration& c) { return c.report.append; }},
      {"APPEND=ON OFF", [](const Configuration& c) { return !c.report.append; }},
      {"SILENT", [](const Configuration& c) { return c.run.quiet == 0; }},
      {"silent=on", [](const Configuration& c) { return c.run.quiet == 1; }},
      {"VERBOSE=yes", [](const Configuration& c) { return c.run.quiet == 1; }},
      // SILENT from the environment counts as one request; each SPLIT line adds one.
      {"SPLIT\nSPLIT=2", [](const Configuration& c) { return c.run.quiet == 3; }},
      {"Immediate=Off", [](const Configuration& c) { return !c.run.counting_pass; }},
      {"NO_COUNT", [](const Configuration& c) { return c.run.counting_pass; }},
      {"AUTO", [](const Configuration& c) { return c.run.auto_width; }},
      {"RECURSE=OFF", [](const Configuration& c) { return !c.walk.recurse; }},
      {"ZULU=YES", [](const Configuration& c) { return c.walk.utc_times; }},
      // "OLDER" is looked for anywhere before "OUTPUT" is tried; the value
      // has a "/" and is therefore a date.
      {"OUTPUT=/reports/OLDER.TXT",
       [](const Configuration& c) {
         return c.report.target == ReportTarget::kStandardOutput && c.walk.age.on &&
                c.walk.age.older_given;
       }},
      {"FILES=*.eml", [](const Configuration& c) { return c.lists.name_patterns[0] == "*.EML"; }},
      {"MY_DELIM=;", [](const Configuration& c) { return c.report.delimiter == ';'; }},
      // A comma does not quote here; OFF leaves the delimiter as it was.
      {"DELIM=,",
       [](const Configuration& c) { return c.report.delimiter == ',' && !c.report.quoted; }},
      {"DELIM=9", [](const Configuration& c) { return c.report.delimiter == '9'; }},
      {"DELIM=300\nDELIM=OFF", [](const Configuration& c) { return c.report.delimiter == ','; }},
      {"X=*.TMP\nEXCLUDE=*.BAK",
       [](const Configuration& c) {
         return c.walk.exclusions_on &&
                c.lists.exclusions == std::vector<std::string>{"*.TMP", "*.BAK"};
       }},
      {"MYTIME=a", [](const Configuration& c) { return c.walk.age.time_letter == 'A'; }},
      {"ALL_TIMES", [](const Configuration& c) { return c.walk.age.time_letter == '3'; }},
      {"LARGER=2048", [](const Configuration& c) { return c.walk.min_size == 2048; }},
      {"NEWER=30", [](const Configuration& c) { return c.walk.age.on && !c.walk.age.newer_given; }},
      {"YOUNGER=01-02-2013a",
       [](const Configuration& c) { return c.walk.age.newer_given && c.walk.age.access_marked; }},
      {"OLDER=12\\01\\2012W",
       [](const Configuration& c) { return c.walk.age.older_given && c.walk.age.write_marked; }},
      {"JOBS=4", [](const Configuration& c) { return c.run.jobs == 4; }},
      {"JOBS=4\nJOBS=abc", [](const Configuration& c) { return c.run.jobs == 4; }},
      {"FORMAT=JSONL \nFORMAT=XML",
       [](const Configuration& c) { return c.report.format == ReportFormat::kJsonLines; }},
      {"CRC\nSHA\nHASH=YES",
       [](const Configuration& c) {
         const DigestRequest& d = c.scan.digests;
         return d.crc32 && d.sha1 && d.md5 && !d.sha256;
       }},
      // CRC here is a plain switch: it withdraws nothing.
      {"SHA\nCRC=OFF", [](const Configuration& c) { return c.scan.digests.sha1; }},
      {"ALL_HT=ON",
       [](const Configuration& c) { return c.scan.digests.md5 && c.walk.age.time_letter == '3'; }},
  };
  for (const Case& c : cases) {
    const Configuration config = configure_with({"/mail"}, c.ini, {.silent = true});
    EXPECT_TRUE(c.holds(config)) << c.ini;
  }
}

TEST(IniDirectives, PathValuesKeepTheirCase) {
  const Configuration c =
      configure_with({}, "Output=/Reports/Mail YYYYMMDD.txt\nPath=/Mail/Inbox/\n");
  EXPECT_EQ(c.report.target, ReportTarget::kFile);
  // Neither expanded nor told apart from a name "stdout"; append untouched.
  EXPECT_EQ(c.report.path, "/Reports/Mail YYYYMMDD.txt");
  EXPECT_FALSE(c.report.append);
  EXPECT_EQ(c.lists.roots, std::vector<std::string>{"/Mail/Inbox"});
  ScratchDir dir;
  WorkingDir cwd(dir.path());
  EXPECT_EQ(configure_with({}, "OUTPUT=stdout").report.path,
            std::filesystem::canonical(dir.path()).string() + "/stdout");
}

TEST(IniDirectives, WarningsAndTheirPauses) {
  // A line without its value: the row's warning and pause, and what it sets
  // instead. A refused JOBS or FORMAT value is an illegal directive.
  const char* ini =
      "GREATER=1\nSMALLER=2\nYOUNGER=3\nOUTPUT=/o.txt\nTIME=c\n"
      "GREATER\nSMALLER\nYOUNGER\nOLDER\nOUTPUT\nTIME\nFILE\nSPLIT\nDISPLACE\nCOMMENT\nWIDTH\n"
      "JOBS=65\nFORMAT=xml\n";
  const Configuration c = configure_with({}, ini);
  EXPECT_EQ(describe(c.actions),
            "show messages pause 3: \nMissing ini file modifier at: GREATER\n"
            "GREATER size option turned OFF\n"
            "show messages pause 3: \nIllegal ini file directive SMALLER\n"
            "LESSTHAN size option turned OFF\n"
            "show messages pause 2: \nMissing ini modifier at: YOUNGER\nAging modifier turned off\n"
            "show messages pause 2: \nMissing ini file modifier at: OLDER\n"
            "Aging modifier turned off\n"
            "show messages pause 3: \nMissing ini file modifier at: OUTPUTOutput set to NOne\n\n"
            "show messages pause 2: \nIllegal ini file directive TIME\n"
            "show messages pause 2: \nMissing/Illegal ini file directive FILE\n"
            "show messages pause 2: \nIllegal ini file directive SPLIT\n"
            "show messages: \nMissing ini file directive: DISPLACE\n"
            "show messages pause 2: \nMissing ini file modifier at: WIDTH\n"
            "show messages pause 2: \nIllegal ini file directive JOBS=65\n"
            "show messages pause 2: \nIllegal ini file directive FORMAT=XML\n");
  EXPECT_FALSE(c.walk.min_size || c.walk.max_size || c.walk.age.on);
  EXPECT_EQ(c.report.target, ReportTarget::kStandardOutput);
  EXPECT_EQ(c.walk.age.time_letter, 'w');
  EXPECT_EQ(c.run.quiet, 1);
  EXPECT_EQ(c.run.jobs, 0);
  EXPECT_EQ(c.report.format, ReportFormat::kDelimited);
  // The output is turned off only after its pause: a run that ends in the
  // pause ends with the output it had.
  EXPECT_EQ(c.actions[4].ending.target, ReportTarget::kFile);
  EXPECT_EQ(c.actions[5].ending.target, ReportTarget::kStandardOutput);
}

TEST(IniDirectives, AccountingLog) {
  struct Case {
    const char* ini;
    const char* actions;  // after the environment's log is opened
  };
  const Case cases[] = {
      // OFF keeps the environment's log open, also inside a path.
      {"ACCT=off\nACCT=/LOGS/OFFICE.LOG", ""},
      {"Accounting=/Logs/Mail.log",
       "replace log by 1 naming /Logs/Mail.log\nopen requested log /Logs/Mail.log or -\n"},
      {"LOG=/a.log\nLOG",
       "replace log by 1 naming /a.log\n"
       "show messages pause 2: \nMissing ini file modifier at: LOG=\n"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(actions_of(c.ini, {.acct = "/env.log"}),
              std::string("open log /env.log\n") + c.actions)
        << c.ini;
  }
}

// The INI file a run finds on disk, from a scratch working directory.
class IniFileTest : public ::testing::Test {
 protected:
  IniFileTest() {
    std::filesystem::create_directories(dir_ / "cwd");
    std::filesystem::create_directories(dir_ / "bin");
    std::filesystem::create_directories(dir_ / "xdg");
    ::setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
    args_ = {dir_ / "bin/mailsift", "/mail"};
  }
  ~IniFileTest() override { ::unsetenv("XDG_CONFIG_HOME"); }

  Configuration read_in_cwd() {
    WorkingDir cwd(dir_ / "cwd");
    const IniFile ini(args_);
    return configure({{}, ini.text(), args_, &clock_, nullptr});
  }

  ScratchDir dir_;
  std::vector<std::string> args_;
  FixedClock clock_{1134216000};
};

TEST_F(IniFileTest, OwnFileWinsAndIsReadFromItsFirstLine) {
  write_bytes(dir_ / "cwd/mailsift.ini", "APPEND\r\n; AUTO\n#AUTO\n[ANY]\nCOMMENT=hi\nSHA\n");
  write_bytes(dir_ / "bin/TALLWICK.INI", "[MAILSIFT]\nHASH\n");
  const Configuration c = read_in_cwd();
  EXPECT_TRUE(c.report.append);
  EXPECT_FALSE(c.run.auto_width);
  EXPECT_TRUE(c.scan.digests.sha1);
  EXPECT_FALSE(c.scan.digests.md5);
}

TEST_F(IniFileTest, SharedFileSectionOnly) {
  write_bytes(dir_ / "bin/tallwick.ini",
              "[OTHERTOOL]\nAPPEND\n[mailsift]\nAUTO\nCOMMENT=x\nCRC\n[NEXT]\nHASH\n");
  Configuration c = read_in_cwd();
  EXPECT_FALSE(c.report.append);
  EXPECT_TRUE(c.run.auto_width);
  EXPECT_TRUE(c.scan.digests.crc32);
  EXPECT_FALSE(c.scan.digests.md5);

  // A shared file without the section sets nothing.
  std::filesystem::remove(dir_ / "bin/tallwick.ini");
  write_bytes(dir_ / "cwd/TALLWICK.INI", "[OTHERTOOL]\nSHA\n");
  EXPECT_FALSE(read_in_cwd().scan.digests.sha1);
  // A line holding the section header anywhere ends it too.
  write_bytes(dir_ / "cwd/TALLWICK.INI", "[MAILSIFT]\nAUTO\nX [MAILSIFT]\nSHA\n");
  c = read_in_cwd();
  EXPECT_TRUE(c.run.auto_width);
  EXPECT_FALSE(c.scan.digests.sha1);
}

TEST_F(IniFileTest, PlacesForAnotherProgramNameAndTheUserConfig) {
  args_[0] = dir_ / "bin/mytool";
  write_bytes(dir_ / "bin/MAILSIFT.ini", "APPEND\n");
  std::filesystem::create_directories(dir_ / "xdg/mailsift");
  write_bytes(dir_ / "xdg/mailsift/mailsift.ini", "AUTO\n");
  Configuration c = read_in_cwd();
  EXPECT_TRUE(c.report.append);
  EXPECT_FALSE(c.run.auto_width);

  std::filesystem::remove(dir_ / "bin/MAILSIFT.ini");
  EXPECT_TRUE(read_in_cwd().run.auto_width);

  write_bytes(dir_ / "cwd/TALLWICK.INI", "[MAILSIFT]\nHASH\n[MYTOOL]\nCRC\n");
  c = read_in_cwd();
  EXPECT_TRUE(c.scan.digests.crc32);
  EXPECT_FALSE(c.scan.digests.md5);
}

TEST_F(IniFileTest, NonRegularCandidatesArePassedOver) {
  std::filesystem::create_directory(dir_ / "cwd/mailsift.ini");
  ASSERT_EQ(::mkfifo((dir_ / "bin/mailsift.ini").c_str(), 0600), 0);
  write_bytes(dir_ / "cwd/TALLWICK.INI", "[MAILSIFT]\nAPPEND\n");
  const Configuration c = read_in_cwd();
  EXPECT_TRUE(c.report.append);
  EXPECT_TRUE(c.actions.empty());
}

TEST_F(IniFileTest, DotIniArgumentSkipsEverything) {
  write_bytes(dir_ / "cwd/mailsift.ini", "APPEND\nOUTPUT=/r.txt\n");
  args_.push_back("-.ini");
  const Configuration c = read_in_cwd();
  EXPECT_FALSE(c.report.append);
  EXPECT_EQ(c.report.target, ReportTarget::kStandardOutput);
}

TEST_F(IniFileTest, HostileFiles) {
  std::string binary;
  for (int i = 0; i < 20000; ++i) {
    char c = static_cast<char>((i * 7919) % 256);
    binary.push_back(c == '\x1A' ? '\x1B' : c);
  }
  struct Case {
    std::string text;
    bool auto_width;
  };
  const Case cases[] = {
      {binary + "\nAUTO\n", true},
      // Read as text: a Ctrl-Z ends the file.
      {binary + "\x1A\nAUTO\n", false},
      // A 10 MB line arrives in 259-byte pieces; the directive after it still counts.
      {std::string(10 * 1024 * 1024, 'q') + "\nAUTO\n", true},
      // A piece boundary splits a long line: its tail is a line of its own.
      {std::string(259, ' ') + "AUTO\n", true},
      // A NUL ends a line's text.
      {std::string("\0AUTO\n", 6), false},
  };
  for (const Case& c : cases) {
    write_bytes(dir_ / "cwd/mailsift.ini", c.text);
    EXPECT_EQ(read_in_cwd().run.auto_width, c.auto_width) << c.text.size();
  }
}

TEST_F(IniFileTest, UnreadableFileIsReportedAndSkipped) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  write_bytes(dir_ / "cwd/mailsift.ini", "APPEND\n");
  std::filesystem::permissions(dir_ / "cwd/mailsift.ini", std::filesystem::perms::none);
  const Configuration c = read_in_cwd();
  EXPECT_EQ(describe(c.actions), "show messages: \nCouldn't open .ini file\n\nwait for key\n");
  EXPECT_FALSE(c.report.append);
}

}  // namespace
}  // namespace mailsift::test
