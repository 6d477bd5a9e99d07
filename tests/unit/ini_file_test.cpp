#include "config/ini_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "app/run_config.h"
#include "app/run_context.h"
#include "config/ini_directives.h"
#include "unit/scratch_dir.h"
#include "util/ascii.h"

namespace mailsift {
namespace {

using testing_support::FixedClock;
using testing_support::ScratchDir;
using testing_support::WorkingDir;
using testing_support::write_bytes;

class IniTest : public ::testing::Test {
 protected:
  IniTest() {
    ctx_.attach_test_streams(&out_, &err_, &report_);
    apply_program_defaults(ctx_.settings);
    std::filesystem::create_directories(dir_ / "cwd");
    std::filesystem::create_directories(dir_ / "bin");
    std::filesystem::create_directories(dir_ / "xdg");
    ::setenv("XDG_CONFIG_HOME", (dir_ / "xdg").c_str(), 1);
    ctx_.args = {dir_ / "bin/mailsift", "/mail"};
  }
  ~IniTest() override { ::unsetenv("XDG_CONFIG_HOME"); }

  // Applies one line as the reader hands it over (line end removed).
  bool apply(const std::string& line) {
    std::string upper = line;
    upper_in_place(upper);
    IniLine l;
    l.upper = upper;
    l.original = line;
    std::size_t eq = upper.find('=');
    l.has_value = eq != std::string::npos;
    if (l.has_value) {
      l.value = l.upper.substr(eq + 1);
      l.original_value = l.original.substr(eq + 1);
    }
    return apply_ini_directive(run_, l);
  }
  void read_in_cwd() {
    WorkingDir cwd(dir_ / "cwd");
    read_ini_file(run_, ctx_.args);
  }

  ScratchDir dir_;
  RunContext ctx_;
  RunConfigHost host_{ctx_};
  FixedClock clock_{1134216000};
  ConfigRun run_{ctx_.settings, ctx_.lists, ctx_.file_list, host_, ctx_.console, clock_};
  std::string out_, err_, report_;
};

TEST_F(IniTest, SwitchConvention) {
  Settings& s = ctx_.settings;
  apply("APPEND=OFF");
  EXPECT_EQ(s.append_output, 0);
  apply("APPEND");
  EXPECT_EQ(s.append_output, 1);
  apply("APPEND=OFF");
  apply("APPEND=NO");  // neither ON, YES nor OFF: the first value stands
  EXPECT_EQ(s.append_output, 1);
  s.quiet = 1;
  apply("SILENT");
  EXPECT_EQ(s.quiet, 0);
  apply("silent=on");
  EXPECT_EQ(s.quiet, 1);
  s.quiet = 0;
  apply("VERBOSE=yes");
  EXPECT_EQ(s.quiet, 1);
  apply("Immediate=Off");
  EXPECT_EQ(s.immediate, 0);
  apply("NO_COUNT");
  EXPECT_EQ(s.immediate, 1);
  apply("REVERSE=NO");
  EXPECT_EQ(s.reverse_on, 0);
  apply("REVERSE");
  EXPECT_EQ(s.reverse_on, 1);
  EXPECT_EQ(out_ + err_, "");
  apply("STREAM");
  EXPECT_EQ(s.streams_on, 0);
  EXPECT_EQ(err_, "\nIllegal ini file directive STREAM");
}

TEST_F(IniTest, TableOrderAndMatching) {
  Settings& s = ctx_.settings;
  // "OLDER" is looked for anywhere before "OUTPUT" is tried; the value has a
  // "/" and is therefore a date.
  EXPECT_TRUE(apply("OUTPUT=/reports/OLDER.TXT"));
  EXPECT_EQ(s.output_mode, 0);
  EXPECT_EQ(s.age_filter_on, 1);
  EXPECT_EQ(s.older_than_date, 1);

  apply("FILES=*.eml");
  ASSERT_EQ(ctx_.lists.name_patterns.size(), 1u);
  EXPECT_EQ(ctx_.lists.name_patterns[0], "*.EML");

  apply("MY_DELIM=;");
  EXPECT_EQ(s.delimiter, ';');
  EXPECT_EQ(s.delimiter_set, 1);
  apply("DELIM=,");
  EXPECT_EQ(s.delimiter, ',');
  EXPECT_EQ(s.quote_fields, 0);
  apply("DELIM=9");
  EXPECT_EQ(s.delimiter, '9');
  apply("DELIM=300");
  EXPECT_EQ(s.delimiter, static_cast<char>(300 & 0xFF));
  apply("DELIM=OFF");
  EXPECT_EQ(s.delimiter_set, 0);
  EXPECT_EQ(s.delimiter, static_cast<char>(300 & 0xFF));

  EXPECT_FALSE(apply("NOTHING=HERE"));
  EXPECT_FALSE(apply(""));
  apply("X=*.TMP");
  apply("EXCLUDE=*.BAK");
  EXPECT_EQ(s.exclusions_on, 1);
  EXPECT_EQ(ctx_.lists.exclusions, (std::vector<std::string>{"*.TMP", "*.BAK"}));
  // Contains: the time letter stays upper case.
  apply("MYTIME=a");
  EXPECT_EQ(s.time_letter, 'A');
  EXPECT_EQ(s.time_letter_set, 1);
  apply("LARGER=2048");
  EXPECT_EQ(s.size_greater_on, 1);
  EXPECT_EQ(s.size_greater, 2048);
  apply("WIDTH=40");
  EXPECT_EQ(s.name_width, 40);
  apply("JOBS=4");
  EXPECT_EQ(s.jobs, 4);
}

TEST_F(IniTest, BadThreadCountOrFormatIsWarnedAboutAndLeavesTheSetting) {
  Settings& s = ctx_.settings;
  struct Case {
    const char* line;
    const char* warning;  // "" when the value is taken
    std::int32_t jobs;
    std::int32_t format;
  };
  const Case cases[] = {
      {"JOBS=4", "", 4, kFormatDelimited},
      {"JOBS=abc", "\nIllegal ini file directive JOBS=ABC", 4, kFormatDelimited},
      {"JOBS=-3", "\nIllegal ini file directive JOBS=-3", 4, kFormatDelimited},
      {"JOBS=65", "\nIllegal ini file directive JOBS=65", 4, kFormatDelimited},
      {"JOBS=0  ", "", 0, kFormatDelimited},
      {"FORMAT=csv", "", 0, kFormatCsv},
      {"FORMAT=XML", "\nIllegal ini file directive FORMAT=XML", 0, kFormatCsv},
      {"FORMAT=", "\nIllegal ini file directive FORMAT=", 0, kFormatCsv},
      {"FORMAT=jsonl", "", 0, kFormatJsonLines},
  };
  for (const Case& c : cases) {
    out_.clear();
    err_.clear();
    EXPECT_TRUE(apply(c.line));
    EXPECT_EQ(out_ + err_, c.warning) << c.line;
    EXPECT_EQ(s.jobs, c.jobs) << c.line;
    EXPECT_EQ(s.output_format, c.format) << c.line;
  }
  EXPECT_FALSE(run_.stop);
}

TEST_F(IniTest, PathValuesKeepTheirCase) {
  Settings& s = ctx_.settings;
  s.append_output = 0;
  apply("Output=/Reports/Mail YYYYMMDD.txt");
  EXPECT_EQ(s.output_mode, 1);
  // Neither expanded nor told apart from a name "stdout"; append untouched.
  EXPECT_EQ(s.output_path, "/Reports/Mail YYYYMMDD.txt");
  EXPECT_EQ(s.append_output, 0);
  apply("Path=/Mail/Inbox/");
  ASSERT_EQ(ctx_.lists.roots.size(), 1u);
  EXPECT_EQ(ctx_.lists.roots[0], "/Mail/Inbox");
  {
    WorkingDir cwd(dir_ / "cwd");
    apply("OUTPUT=stdout");
  }
  std::string canonical_cwd = std::filesystem::canonical(dir_ / "cwd").string();
  EXPECT_EQ(s.output_path, canonical_cwd + "/stdout");
}

TEST_F(IniTest, AccountingLogDirective) {
  Settings& s = ctx_.settings;
  std::string log;
  ctx_.accounting_log.attach_string(&log);
  apply("ACCT=off");
  EXPECT_EQ(s.accounting_on, 0);
  EXPECT_TRUE(ctx_.accounting_log.is_open());
  // The value contains "OFF": logging is turned off.
  apply("ACCT=/LOGS/OFFICE.LOG");
  EXPECT_EQ(s.accounting_on, 0);
  EXPECT_TRUE(ctx_.accounting_log.is_open());
  apply("Accounting=/Logs/Mail.log");
  EXPECT_EQ(s.accounting_on, 1);
  EXPECT_EQ(s.accounting_path, "/Logs/Mail.log");
  EXPECT_FALSE(ctx_.accounting_log.is_open());
  EXPECT_EQ(log,
            "This file closed.\nAccounting file overridden by .ini file pointing to "
            "/Logs/Mail.log\n");
  apply("LOG");
  EXPECT_EQ(s.accounting_on, 0);
  EXPECT_EQ(err_, "\nMissing ini file modifier at: LOG=");
}

TEST_F(IniTest, DirectivesWithoutValue) {
  Settings& s = ctx_.settings;
  s.size_greater_on = s.size_less_on = s.age_filter_on = 1;
  s.output_mode = 1;
  apply("GREATER");
  apply("SMALLER");
  apply("YOUNGER");
  apply("OLDER");
  apply("OUTPUT");
  apply("TIME");
  apply("FILE");
  apply("SPLIT");
  EXPECT_EQ(s.size_greater_on, 0);
  EXPECT_EQ(s.size_less_on, 0);
  EXPECT_EQ(s.age_filter_on, 0);
  EXPECT_EQ(s.output_mode, 0);
  EXPECT_EQ(s.time_letter, 'w');
  EXPECT_EQ(s.split_log, 0);
  EXPECT_EQ(s.quiet, 1);
  EXPECT_EQ(err_,
            "\nMissing ini file modifier at: GREATER\nGREATER size option turned OFF"
            "\nIllegal ini file directive SMALLER\nLESSTHAN size option turned OFF"
            "\nMissing ini modifier at: YOUNGER\nAging modifier turned off"
            "\nMissing ini file modifier at: OLDER\nAging modifier turned off"
            "\nMissing ini file modifier at: OUTPUTOutput set to NOne\n"
            "\nIllegal ini file directive TIME"
            "\nMissing/Illegal ini file directive FILE"
            "\nIllegal ini file directive SPLIT");
  apply("SPLIT=2");
  EXPECT_EQ(s.split_log, 1);
  EXPECT_EQ(s.quiet, 2);
}

TEST_F(IniTest, AgeValuesDaysOrDates) {
  Settings& s = ctx_.settings;
  apply("NEWER=30");
  EXPECT_EQ(s.age_filter_on, 1);
  EXPECT_EQ(s.newer_than_date, 0);
  apply("YOUNGER=01-02-2013a");
  EXPECT_EQ(s.newer_than_date, 1);
  EXPECT_EQ(s.date_letter_a, 'a');
  EXPECT_EQ(s.date_letter_w, 0);
  apply("OLDER=12\\01\\2012W");
  EXPECT_EQ(s.older_than_date, 1);
  EXPECT_EQ(s.date_letter_w, 'w');
}

TEST_F(IniTest, OwnFileWinsAndIsReadFromItsFirstLine) {
  write_bytes(dir_ / "cwd/mailsift.ini",
              "APPEND\r\n; WIDTH=99\n#WIDTH=98\n[ANY]\nCOMMENT=hi\nAUTO\n");
  write_bytes(dir_ / "bin/TALLWICK.INI", "[MAILSIFT]\nHASH\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 1);
  EXPECT_EQ(ctx_.settings.name_width, 32);
  EXPECT_EQ(ctx_.settings.comment_text, "HI");
  EXPECT_EQ(ctx_.settings.auto_width, 1);
  EXPECT_EQ(ctx_.settings.hash_on, 0);
}

TEST_F(IniTest, SharedFileSectionOnly) {
  write_bytes(dir_ / "bin/tallwick.ini",
              "[OTHERTOOL]\nAPPEND\n[mailsift]\nAUTO\nCOMMENT=x\nCRC\n[NEXT]\nHASH\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 0);
  EXPECT_EQ(ctx_.settings.auto_width, 1);
  EXPECT_EQ(ctx_.settings.crc_on, 1);
  EXPECT_EQ(ctx_.settings.hash_on, 0);

  // A shared file without the section sets nothing.
  std::filesystem::remove(dir_ / "bin/tallwick.ini");
  write_bytes(dir_ / "cwd/TALLWICK.INI", "[OTHERTOOL]\nSHA\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.sha1_on, 0);
}

TEST_F(IniTest, PlacesForAnotherProgramNameAndTheUserConfig) {
  ctx_.args[0] = dir_ / "bin/mytool";
  write_bytes(dir_ / "bin/MAILSIFT.ini", "APPEND\n");
  std::filesystem::create_directories(dir_ / "xdg/mailsift");
  write_bytes(dir_ / "xdg/mailsift/mailsift.ini", "AUTO\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 1);
  EXPECT_EQ(ctx_.settings.auto_width, 0);

  std::filesystem::remove(dir_ / "bin/MAILSIFT.ini");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.auto_width, 1);

  write_bytes(dir_ / "cwd/TALLWICK.INI", "[MAILSIFT]\nHASH\n[MYTOOL]\nCRC\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.crc_on, 1);
  EXPECT_EQ(ctx_.settings.hash_on, 0);
}

TEST_F(IniTest, NonRegularCandidatesArePassedOver) {
  std::filesystem::create_directory(dir_ / "cwd/mailsift.ini");
  ASSERT_EQ(::mkfifo((dir_ / "bin/mailsift.ini").c_str(), 0600), 0);
  write_bytes(dir_ / "cwd/TALLWICK.INI", "[MAILSIFT]\nAPPEND\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 1);
  EXPECT_EQ(out_ + err_, "");
}

TEST_F(IniTest, DotIniArgumentSkipsEverything) {
  write_bytes(dir_ / "cwd/mailsift.ini", "APPEND\nOUTPUT=/r.txt\n");
  ctx_.args.push_back("-.ini");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 0);
  EXPECT_EQ(ctx_.settings.output_mode, 0);
}

TEST_F(IniTest, HostileFiles) {
  std::string binary;
  for (int i = 0; i < 20000; ++i) {
    char c = static_cast<char>((i * 7919) % 256);
    binary.push_back(c == '\x1A' ? '\x1B' : c);
  }
  write_bytes(dir_ / "cwd/mailsift.ini", binary + "\nAPPEND\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 1);
  // Read as text: a Ctrl-Z ends the file.
  ctx_.settings.append_output = 0;
  write_bytes(dir_ / "cwd/mailsift.ini", binary + "\x1A\nAPPEND\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.append_output, 0);

  // A 10 MB line arrives in 259-byte pieces; the directive after it still counts.
  ctx_.settings.auto_width = 0;
  std::string huge(10 * 1024 * 1024, 'q');
  write_bytes(dir_ / "cwd/mailsift.ini", huge + "\nAUTO\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.auto_width, 1);

  // A piece boundary splits a long line: its tail is a line of its own.
  ctx_.settings.crc_on = 0;
  write_bytes(dir_ / "cwd/mailsift.ini", std::string(259, ' ') + "CRC\n");
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.crc_on, 1);

  // A NUL ends a line's text.
  ctx_.settings.hash_on = 0;
  write_bytes(dir_ / "cwd/mailsift.ini", std::string("\0HASH\n", 6));
  read_in_cwd();
  EXPECT_EQ(ctx_.settings.hash_on, 0);
}

TEST_F(IniTest, UnreadableFileIsReportedAndSkipped) {
  if (::geteuid() == 0) GTEST_SKIP() << "root reads any file";
  write_bytes(dir_ / "cwd/mailsift.ini", "APPEND\n");
  std::filesystem::permissions(dir_ / "cwd/mailsift.ini", std::filesystem::perms::none);
  read_in_cwd();
  EXPECT_EQ(err_, "\nCouldn't open .ini file\n");
  EXPECT_EQ(ctx_.settings.append_output, 0);
}

}  // namespace
}  // namespace mailsift
