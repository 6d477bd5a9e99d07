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
  EXPECT_EQ(r.s().delimiter, '|');
  EXPECT_EQ(r.s().quote_fields, 0);
  EXPECT_EQ(r.s().recurse, 1);
  EXPECT_EQ(r.s().name_width, 32);
  EXPECT_EQ(r.s().output_mode, 0);
  EXPECT_EQ(r.s().accounting_on, 0);
  ASSERT_EQ(r.ctx.lists.name_patterns.size(), 1u);
  EXPECT_EQ(r.ctx.lists.name_patterns[0], "*.*");
  EXPECT_EQ(r.ctx.lists.roots, std::vector<std::string>{"/tmp"});
  EXPECT_EQ(r.out + r.err, "");
}

TEST(Options, GroupedLettersTogglesAndPlusForms) {
  ParsedRun twice;
  twice.parse({"-r", "-r"});
  EXPECT_EQ(twice.s().recurse, 1);
  ParsedRun grouped;
  grouped.parse({"-ra"});
  EXPECT_EQ(grouped.s().recurse, 0);
  EXPECT_EQ(grouped.s().append_output, 1);
  ParsedRun plus;
  plus.parse({"-a", "-r", "+ar"});
  EXPECT_EQ(plus.s().append_output, 0);
  EXPECT_EQ(plus.s().recurse, 1);
  ParsedRun toggles;
  toggles.parse({"-m", "-n", "-N", "-P", "-R", "-z", "-c"});
  EXPECT_EQ(toggles.s().military_time, 0);
  EXPECT_EQ(toggles.s().name_only, 1);  // toggled on by -n, set by -N
  EXPECT_EQ(toggles.s().path_only, 1);
  EXPECT_EQ(toggles.s().pause_on, 1);
  EXPECT_EQ(toggles.s().reset_access, 1);
  EXPECT_EQ(toggles.s().zulu_time, 1);
  EXPECT_EQ(toggles.s().crc_on, 1);
  ParsedRun plus_forms;
  plus_forms.parse({"-mnN", "+mnN"});
  EXPECT_EQ(plus_forms.s().military_time, 1);
  EXPECT_EQ(plus_forms.s().name_only, 0);
  EXPECT_EQ(plus_forms.s().path_only, 0);
}

TEST(Options, UnknownLetterInGroupAppliesEarlierLettersThenStops) {
  ParsedRun r;
  EXPECT_EQ(r.parse({"-rk"}), 6);
  EXPECT_EQ(r.s().recurse, 0);
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
  ParsedRun tcr;
  tcr.parse({"-tcr"});
  EXPECT_EQ(tcr.s().time_letter, 'c');
  EXPECT_EQ(tcr.s().time_letter_set, 0);
  EXPECT_EQ(tcr.s().recurse, 0);
  ParsedRun upper;
  upper.parse({"-tC"});
  EXPECT_EQ(upper.s().time_letter, 'c');
  EXPECT_EQ(upper.s().time_letter_set, 1);
  ParsedRun three;
  three.parse({"-t3"});
  EXPECT_EQ(three.s().time_letter, '3');
  EXPECT_EQ(three.s().all_times, 1);
  ParsedRun separate;
  separate.parse({"-t", "Access", "-r"});
  EXPECT_EQ(separate.s().time_letter, 'a');
  EXPECT_EQ(separate.s().recurse, 0);
  ParsedRun zero;
  zero.parse({"-z", "-t0"});
  EXPECT_EQ(zero.s().zulu_time, 0);
  EXPECT_EQ(zero.s().military_time, 0);
  EXPECT_EQ(zero.s().all_times, 0);
  ParsedRun reverse;
  reverse.parse({"-TA"});
  EXPECT_EQ(reverse.s().reverse_on, 1);
  EXPECT_EQ(reverse.s().time_letter, 'a');
  ParsedRun off;
  off.parse({"-tc", "+t"});
  EXPECT_EQ(off.s().time_letter, 'w');
  EXPECT_EQ(off.s().military_time, 0);
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-t"}), 6);
  EXPECT_EQ(missing.err, kOptionReason);
}

TEST(Options, AttributeMasks) {
  ParsedRun remove;
  remove.parse({"-q-rh"});
  EXPECT_EQ(remove.s().change_attributes, 1);
  EXPECT_EQ(remove.s().attr_remove_mask, 0x3u);
  EXPECT_EQ(remove.s().attr_add_mask, 0u);
  EXPECT_EQ(remove.s().recurse, 1);  // "r" was an attribute letter here
  ParsedRun add;
  add.parse({"-q+a"});
  EXPECT_EQ(add.s().attr_add_mask, 0x20u);
  ParsedRun plain;
  plain.parse({"-qr"});
  EXPECT_EQ(plain.s().change_attributes, 1);
  EXPECT_EQ(plain.s().attr_add_mask | plain.s().attr_remove_mask, 0u);
  EXPECT_EQ(plain.s().recurse, 0);
  ParsedRun all;
  all.parse({"-q+RSE", "-q+n"});
  EXPECT_EQ(all.s().attr_add_mask, 0u);
  EXPECT_EQ(all.s().attr_remove_mask, 0x4023u);
  ParsedRun zero;
  zero.parse({"-q-0S"});
  EXPECT_EQ(zero.s().attr_remove_mask, 0x4027u);
}

TEST(Options, Delimiter) {
  struct Case {
    std::vector<std::string> args;
    char delimiter;
    int quote;
  };
  const Case cases[] = {
      {{"-d", ","}, ',', 1},
      {{"-d", "44"}, ',', 1},
      {{"-d", "|"}, '|', 0},
      {{"-d=;"}, ';', 0},
      {{"-d;"}, ';', 0},
      {{"-d", "09"}, '\t', 0},
      {{"-d", "9"}, '9', 0},
      {{"-d", "=", "-r"}, '=', 0},
      {{"-d", "300"}, static_cast<char>(300 & 0xFF), 1},  // low byte 44
  };
  for (const Case& c : cases) {
    ParsedRun r;
    EXPECT_EQ(r.parse(c.args), -1) << c.args[0];
    EXPECT_EQ(r.s().delimiter, c.delimiter) << c.args.back();
    EXPECT_EQ(r.s().quote_fields, c.quote) << c.args.back();
    EXPECT_EQ(r.s().delimiter_set, 1);
  }
  ParsedRun comma_then_pipe;
  comma_then_pipe.parse({"-d,", "-d|"});
  EXPECT_EQ(comma_then_pipe.s().quote_fields, 1);  // a later pipe leaves quoting on
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-d"}), 6);
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-d", "-5"}), 6);
}

TEST(Options, OutputFile) {
  ParsedRun keyword;
  keyword.parse({"-a", "-o", "STDOUT"});
  EXPECT_EQ(keyword.s().output_mode, -1);
  EXPECT_EQ(keyword.s().append_output, 0);
  EXPECT_EQ(keyword.s().output_path, "");
  ParsedRun append;
  append.parse({"-O", "report.txt"});
  EXPECT_EQ(append.s().append_output, 1);
  EXPECT_EQ(append.s().output_mode, 1);
  EXPECT_EQ(append.s().output_path, cwd_path("report.txt"));
  ParsedRun off;
  off.parse({"-O", "report.txt", "+O"});
  EXPECT_EQ(off.s().append_output, 0);
  EXPECT_EQ(off.s().output_mode, 0);
  ParsedRun attached;
  attached.parse({"-o/tmp/x/../rpt_YYMM.txt"});
  EXPECT_EQ(attached.s().output_path, "/tmp/rpt_YYMM.txt");  // no mask after a "/"
  EXPECT_EQ(attached.s().append_output, 0);
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-o"}), 6);
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-o", "-r"}), 6);
  ParsedRun too_long;
  EXPECT_EQ(too_long.parse({"-o", "/" + std::string(100000, 'x')}), 6);
}

TEST(Options, Width) {
  ParsedRun wide;
  wide.parse({"-W", "50"});
  EXPECT_EQ(wide.s().width_style, 2);
  EXPECT_EQ(wide.s().name_width, 50);
  EXPECT_EQ(wide.s().variable_width, 0);
  ParsedRun plus;
  plus.parse({"+w"});
  EXPECT_EQ(plus.s().width_style, 1);
  EXPECT_EQ(plus.s().name_width, 32);
  ParsedRun equal;
  equal.parse({"-w=40"});
  EXPECT_EQ(equal.s().name_width, 40);
  ParsedRun huge;
  huge.parse({"-w", std::string(100000, '9')});
  EXPECT_EQ(huge.s().name_width, 2147483647);
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-w"}), 6);
}

TEST(Options, PathsPatternsAndOrder) {
  ParsedRun roots;
  roots.parse({"-p", "/tmp/a", "/b", "-f", "*.eml", "*.txt", "-r"});
  EXPECT_EQ(roots.ctx.lists.roots, (std::vector<std::string>{"/tmp/a", "/b"}));
  EXPECT_EQ(roots.ctx.lists.name_patterns, (std::vector<std::string>{"*.eml", "*.txt"}));
  EXPECT_EQ(roots.s().recurse, 0);
  ParsedRun leading;
  leading.parse({"/usr", "-r"});
  EXPECT_EQ(leading.ctx.lists.roots, std::vector<std::string>{"/usr"});
  EXPECT_EQ(leading.s().recurse, 0);

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
  EXPECT_EQ(last.s().recurse, 0);
  ParsedRun middle;
  EXPECT_EQ(middle.parse({"-.ini", "-a"}), -1);
  EXPECT_EQ(middle.s().append_output, 1);
  // The argument after it is read from its second character, whatever the first.
  ParsedRun any_first;
  EXPECT_EQ(any_first.parse({"-.ini", "xr"}), -1);
  EXPECT_EQ(any_first.s().recurse, 0);
}

TEST(Options, Exclusions) {
  ParsedRun both;
  both.parse({"-x", "*.BAK", "--exclude=*.TMP"});
  EXPECT_EQ(both.s().exclusions_on, 1);
  EXPECT_EQ(both.ctx.lists.exclusions, (std::vector<std::string>{"*.BAK", "*.TMP"}));
  ParsedRun restarted;
  restarted.parse({"--exclude=*.TMP", "-x", "*.BAK"});
  EXPECT_EQ(restarted.ctx.lists.exclusions, std::vector<std::string>{"*.BAK"});
  ParsedRun usage;
  EXPECT_EQ(usage.parse({"-x", "-r"}), 6);
  EXPECT_NE(usage.err.find("[RECURSE=[ON|OFF]]"), std::string::npos);
  EXPECT_EQ(usage.err.find("Abnormal termination"), std::string::npos);  // plain exit
}

TEST(Options, NoteDateLetters) {
  Settings s;
  note_date_letters(s, "10-20-2005W");
  EXPECT_EQ(s.date_letter_w, 'w');
  EXPECT_EQ(s.date_letter_a, 0);
  note_date_letters(s, "Ac");
  EXPECT_EQ(s.date_letter_a, 'a');
  EXPECT_EQ(s.date_letter_c, 'c');
}

}  // namespace
}  // namespace mailsift::test
