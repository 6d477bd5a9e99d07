#include <gtest/gtest.h>

#include <string>

#include "config/age_values.h"
#include "config/configure.h"
#include "platform/platform.h"
#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

std::string cwd_path(const std::string& name) {
  std::string cwd;
  platform::current_directory(cwd);
  return cwd == "/" ? "/" + name : cwd + "/" + name;
}

TEST(Options, DefaultsWithoutOptions) {
  ParsedRun r;
  EXPECT_EQ(r.parse({"/tmp"}), -1);
  EXPECT_EQ(r.c.report.delimiter, '|');
  EXPECT_FALSE(r.c.report.quoted);
  EXPECT_TRUE(r.c.walk.recurse);
  EXPECT_EQ(r.c.report.target, ReportTarget::kStandardOutput);
  EXPECT_FALSE(r.ctx.accounting_log.is_open());
  ASSERT_EQ(r.c.lists.name_patterns.size(), 1u);
  EXPECT_EQ(r.c.lists.name_patterns[0], "*.*");
  EXPECT_EQ(r.c.lists.roots, std::vector<std::string>{"/tmp"});
  EXPECT_EQ(r.out + r.err, "");
}

TEST(Options, GroupedLettersTogglesAndPlusForms) {
  ParsedRun twice;
  twice.parse({"-r", "-r"});
  EXPECT_TRUE(twice.c.walk.recurse);
  ParsedRun grouped;
  grouped.parse({"-ra"});
  EXPECT_FALSE(grouped.c.walk.recurse);
  EXPECT_TRUE(grouped.c.report.append);
  ParsedRun plus;
  plus.parse({"-a", "-r", "+ar"});
  EXPECT_FALSE(plus.c.report.append);
  EXPECT_TRUE(plus.c.walk.recurse);
  // Letters without effect here are accepted in either form.
  ParsedRun accepted;
  EXPECT_EQ(accepted.parse({"-mnNPR", "+mnNPR", "-z"}), -1);
  EXPECT_TRUE(accepted.c.walk.utc_times);
  EXPECT_EQ(accepted.out + accepted.err, "");
}

TEST(Options, UnknownLetterInGroupAppliesEarlierLettersThenStops) {
  ParsedRun r;
  EXPECT_EQ(r.parse({"-rk"}), 6);
  EXPECT_FALSE(r.c.walk.recurse);
  // Standard output is not a terminal here, so the message goes to stderr.
  EXPECT_EQ(r.err.rfind("\nIllegal option k\n", 0), 0u) << r.err;
  EXPECT_NE(r.err.find(kOptionReason), std::string::npos);
  ParsedRun unicode;
  EXPECT_EQ(unicode.parse({"-\xE2\x82\xAC"}), 6);
  EXPECT_NE(unicode.err.find("\nIllegal option \xE2\x82\xAC\n"), std::string::npos);
  ParsedRun broken;
  EXPECT_EQ(broken.parse({"-\xC3"}), 6);
  EXPECT_NE(broken.err.find("\nIllegal option \xC3\n"), std::string::npos);
}

TEST(Options, TimeLetter) {
  struct Case {
    std::vector<std::string> args;
    char letter;
    bool recurse;
  };
  const Case cases[] = {
      {{"-tcr"}, 'c', false},  // the letters after an attached value are options
      {{"-tC"}, 'c', true},   {{"-t3"}, '3', true},       {{"-t", "Access", "-r"}, 'a', false},
      {{"-TA"}, 'a', true},   {{"-tc", "+t"}, 'w', true},
  };
  for (const Case& c : cases) {
    ParsedRun r;
    EXPECT_EQ(r.parse(c.args), -1) << c.args[0];
    EXPECT_EQ(r.c.walk.age.time_letter, c.letter) << c.args[0];
    EXPECT_EQ(r.c.walk.recurse, c.recurse) << c.args[0];
  }
  ParsedRun zero;
  zero.parse({"-z", "-t0"});
  EXPECT_FALSE(zero.c.walk.utc_times);
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-t"}), 6);
  EXPECT_EQ(missing.err, kOptionReason);
}

TEST(Options, AttributeMasks) {
  ParsedRun remove;
  remove.parse({"-q-rh"});
  EXPECT_TRUE(remove.c.walk.attributes.on);
  EXPECT_EQ(remove.c.walk.attributes.removed, 0x3u);
  EXPECT_EQ(remove.c.walk.attributes.added, 0u);
  EXPECT_TRUE(remove.c.walk.recurse);  // "r" was an attribute letter here
  ParsedRun add;
  add.parse({"-q+a"});
  EXPECT_EQ(add.c.walk.attributes.added, 0x20u);
  ParsedRun plain;
  plain.parse({"-qr"});
  EXPECT_TRUE(plain.c.walk.attributes.on);
  EXPECT_EQ(plain.c.walk.attributes.added | plain.c.walk.attributes.removed, 0u);
  EXPECT_FALSE(plain.c.walk.recurse);
  ParsedRun all;
  all.parse({"-q+RSE", "-q+n"});
  EXPECT_EQ(all.c.walk.attributes.added, 0u);
  EXPECT_EQ(all.c.walk.attributes.removed, 0x4023u);
  ParsedRun zero;
  zero.parse({"-q-0S"});
  EXPECT_EQ(zero.c.walk.attributes.removed, 0x4027u);
}

TEST(Options, Delimiter) {
  struct Case {
    std::vector<std::string> args;
    char delimiter;
    bool quote;
  };
  const Case cases[] = {
      {{"-d", ","}, ',', true},
      {{"-d", "44"}, ',', true},
      {{"-d", "|"}, '|', false},
      {{"-d=;"}, ';', false},
      {{"-d;"}, ';', false},
      {{"-d", "09"}, '\t', false},
      {{"-d", "9"}, '9', false},
      {{"-d", "=", "-r"}, '=', false},
      {{"-d", "300"}, static_cast<char>(300 & 0xFF), true},  // low byte 44
  };
  for (const Case& c : cases) {
    ParsedRun r;
    EXPECT_EQ(r.parse(c.args), -1) << c.args[0];
    EXPECT_EQ(r.c.report.delimiter, c.delimiter) << c.args.back();
    EXPECT_EQ(r.c.report.quoted, c.quote) << c.args.back();
    // The capture rules see the delimiter of the delimited report.
    EXPECT_EQ(r.c.scan.delimiter, c.delimiter) << c.args.back();
  }
  ParsedRun comma_then_pipe;
  comma_then_pipe.parse({"-d,", "-d|"});
  EXPECT_TRUE(comma_then_pipe.c.report.quoted);  // a later pipe leaves quoting on
  ParsedRun structured;
  structured.parse({"-d;", "--format=csv"});
  EXPECT_EQ(structured.c.scan.delimiter, '|');  // the structured rows are made from "|" rows
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-d"}), 6);
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-d", "-5"}), 6);
}

TEST(Options, OutputFile) {
  ParsedRun keyword;
  keyword.parse({"-a", "-o", "STDOUT"});
  EXPECT_EQ(keyword.c.report.target, ReportTarget::kStandardOutputByName);
  EXPECT_FALSE(keyword.c.report.append);
  EXPECT_EQ(keyword.c.report.path, "");
  ParsedRun append;
  append.parse({"-O", "report.txt"});
  EXPECT_TRUE(append.c.report.append);
  EXPECT_EQ(append.c.report.target, ReportTarget::kFile);
  EXPECT_EQ(append.c.report.path, cwd_path("report.txt"));
  ParsedRun off;
  off.parse({"-O", "report.txt", "+O"});
  EXPECT_FALSE(off.c.report.append);
  EXPECT_EQ(off.c.report.target, ReportTarget::kStandardOutput);
  ParsedRun attached;
  attached.parse({"-o/tmp/x/../rpt_YYMM.txt"});
  EXPECT_EQ(attached.c.report.path, "/tmp/rpt_YYMM.txt");  // no mask after a "/"
  EXPECT_FALSE(attached.c.report.append);
  // Masks are expanded as the name is read (clock: 2005-12-10 12:00 UTC).
  ScopedTimeZone utc("UTC");
  const std::pair<const char*, const char*> masks[] = {
      {"-o/tmp/YYYYMMDD.txt", "/tmp/20051210.txt"},
      {"-O/tmp/COMPUTERNAME.log", "/tmp/HOST.log"},
      {"--output=/tmp/YYYYMMDD.txt", "/tmp/YYYYMMDD.txt"},
  };
  for (const auto& [arg, path] : masks) {
    ParsedRun masked;
    masked.ctx.computer_name_source = [](std::string& name) {
      name = "HOST";
      return true;
    };
    masked.parse({arg});
    EXPECT_EQ(masked.c.report.path, path);
  }
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-o"}), 6);
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-o", "-r"}), 6);
  ParsedRun too_long;
  EXPECT_EQ(too_long.parse({"-o", "/" + std::string(100000, 'x')}), 6);
}

TEST(Options, WidthTakesAValueAndKeepsNothing) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-W", "50"}, {"+w"}, {"-w=40"}, {"-w", std::string(100000, '9')}}) {
    ParsedRun r;
    EXPECT_EQ(r.parse(args), -1) << args[0];
  }
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-w"}), 6);
}

TEST(Options, PathsPatternsAndOrder) {
  ParsedRun roots;
  roots.parse({"-p", "/tmp/a", "/b", "-f", "*.eml", "*.txt", "-r"});
  EXPECT_EQ(roots.c.lists.roots, (std::vector<std::string>{"/tmp/a", "/b"}));
  EXPECT_EQ(roots.c.lists.name_patterns, (std::vector<std::string>{"*.eml", "*.txt"}));
  EXPECT_FALSE(roots.c.walk.recurse);
  ParsedRun leading;
  leading.parse({"/usr", "-r"});
  EXPECT_EQ(leading.c.lists.roots, std::vector<std::string>{"/usr"});
  EXPECT_FALSE(leading.c.walk.recurse);

  ParsedRun slash;
  EXPECT_EQ(slash.parse({"-f", "*.eml", "/r"}), 6);
  EXPECT_EQ(slash.err, std::string("Can't have a / in the file type option\n") + kOptionReason);
  ParsedRun backslash;
  EXPECT_EQ(backslash.parse({"-f", "a\\b"}), 6);
  EXPECT_EQ(backslash.err.rfind("Can't have a \\ in the file type option\n", 0), 0u);

  ParsedRun late_path;
  EXPECT_EQ(late_path.parse({"-r", "/tmp/mail"}), 6);
  EXPECT_EQ(late_path.err, std::string("\nThere appears to be an extra or eroneous item "
                                       "\"/tmp/mail\"\nat the end of the command line\n"
                                       "Please check your syntax, and correct to problem.\n") +
                               kOptionReason);
  ParsedRun empty;
  EXPECT_EQ(empty.parse({"-r", ""}), 6);
  EXPECT_NE(empty.err.find("item \"\"\n"), std::string::npos);
}

TEST(Options, IniSwitchArgument) {
  ParsedRun last;
  EXPECT_EQ(last.parse({"-r", "-.ini"}), -1);
  EXPECT_FALSE(last.c.walk.recurse);
  ParsedRun middle;
  EXPECT_EQ(middle.parse({"-.ini", "-a"}), -1);
  EXPECT_TRUE(middle.c.report.append);
  // The argument after it is read from its second character, whatever the first.
  ParsedRun any_first;
  EXPECT_EQ(any_first.parse({"-.ini", "xr"}), -1);
  EXPECT_FALSE(any_first.c.walk.recurse);
}

TEST(Options, Exclusions) {
  ParsedRun both;
  both.parse({"-x", "*.BAK", "--exclude=*.TMP"});
  EXPECT_TRUE(both.c.walk.exclusions_on);
  EXPECT_EQ(both.c.lists.exclusions, (std::vector<std::string>{"*.BAK", "*.TMP"}));
  ParsedRun restarted;
  restarted.parse({"--exclude=*.TMP", "-x", "*.BAK"});
  EXPECT_EQ(restarted.c.lists.exclusions, std::vector<std::string>{"*.BAK"});
  ParsedRun usage;
  EXPECT_EQ(usage.parse({"-x", "-r"}), 6);
  EXPECT_NE(usage.err.find("[RECURSE=[ON|OFF]]"), std::string::npos);
  EXPECT_EQ(usage.err.find("Abnormal termination"), std::string::npos);  // plain exit
}

TEST(Options, NoteDateLetters) {
  AgeFilter age;
  note_date_letters(age, "10-20-2005W");
  EXPECT_TRUE(age.write_marked);
  EXPECT_FALSE(age.access_marked);
  note_date_letters(age, "Ac");
  EXPECT_TRUE(age.access_marked);
  EXPECT_TRUE(age.creation_marked);
}

}  // namespace
}  // namespace mailsift::test
