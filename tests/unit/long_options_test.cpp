#include "config/long_options.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/platform.h"
#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

std::string cwd_path(const std::string& name) {
  std::string cwd;
  platform::current_directory(cwd);
  return cwd == "/" ? "/" + name : cwd + "/" + name;
}

const char* kIgnoredTail =
    "\" IGNORED\nPlease check the option compatability and rerun if necessary\n";

TEST(LongOptions, TableOrderDecides) {
  ParsedRun file;
  file.parse({"--FILE_ID=x", "--fileid=y"});
  EXPECT_EQ(file.ctx.lists.name_patterns, (std::vector<std::string>{"x", "y"}));
  ParsedRun acc;
  acc.parse({"--Accounting=/etc/passwd/a.log"});
  EXPECT_EQ(acc.s().accounting_on, 1);
  EXPECT_EQ(acc.s().accounting_path, "/etc/passwd/a.log");
  EXPECT_EQ(acc.s().access_option, 0);
  ParsedRun log;
  log.parse({"--logfile=/etc/passwd/b.log"});
  EXPECT_EQ(log.s().accounting_path, "/etc/passwd/b.log");
  ParsedRun short_form;
  short_form.parse({"--acc=rel.log"});
  EXPECT_EQ(short_form.s().accounting_path, cwd_path("rel.log"));
  ParsedRun access;
  access.parse({"--ACCESS"});
  EXPECT_EQ(access.s().access_option, 1);
  EXPECT_EQ(access.s().accounting_on, 0);
  ParsedRun ads;
  ads.parse({"--ads:Z"});
  EXPECT_EQ(ads.s().ads_option, 'Z');
  EXPECT_EQ(ads.s().reset_access, 1);
  ParsedRun ads_plain;
  ads_plain.parse({"--ADS"});
  EXPECT_EQ(ads_plain.s().ads_option, 1);
}

TEST(LongOptions, WholeKeywordsAndIgnoredOnes) {
  ParsedRun hash;
  EXPECT_EQ(hash.parse({"--HASH", "--sha", "--sha256", "--reverse"}), -1);
  EXPECT_EQ(hash.s().hash_on, 1);
  EXPECT_EQ(hash.s().sha1_on, 1);
  EXPECT_EQ(hash.s().sha256_on, 1);
  EXPECT_EQ(hash.s().reverse_on, 1);
  EXPECT_EQ(hash.err, "");
  for (const char* text : {"HASH=ON", "sha1x", "reversex", "HELP", "helpx"}) {
    ParsedRun r;
    EXPECT_EQ(r.parse({std::string("--") + text, "-r"}), -1) << text;
    EXPECT_EQ(r.err, std::string("\nIllegal or incomplete minusminus option of \"--") + text +
                         kIgnoredTail);
    EXPECT_EQ(r.s().hash_on, 0);
    EXPECT_EQ(r.s().recurse, 0);  // parsing goes on after the warning
  }
}

TEST(LongOptions, OnOffValues) {
  ParsedRun alone;
  alone.ctx.settings.recurse = 0;
  alone.parse({"--recurse"});
  EXPECT_EQ(alone.s().recurse, 1);
  ParsedRun off;
  off.parse({"--recurse=off", "--verbose=On", "--streams=OFF", "--reset=on"});
  EXPECT_EQ(off.s().recurse, 0);
  EXPECT_EQ(off.s().quiet, 1);
  EXPECT_EQ(off.s().streams_on, 0);
  EXPECT_EQ(off.s().reset_access, 1);
  // The accounting log echoes the upper-cased values.
  EXPECT_EQ(off.ctx.args[1], "--recurse=OFF");
  EXPECT_EQ(off.ctx.args[2], "--verbose=ON");
  ParsedRun no;
  EXPECT_EQ(no.parse({"--recurse=no"}), 6);
  EXPECT_EQ(no.err, std::string("\nIllegal option: recurse=NO") + kOptionReason);
  EXPECT_EQ(no.ctx.args[1], "--recurse=NO");
}

TEST(LongOptions, ValuesAndRefusals) {
  ParsedRun level;
  level.parse({"--level=2"});
  EXPECT_EQ(level.s().max_level, 3);
  EXPECT_EQ(level.s().change_attributes, 1);
  EXPECT_EQ(level.s().dirsize_mode, 2);
  EXPECT_EQ(level.s().level_limit_on, 1);
  ParsedRun width;
  width.parse({"--width=abc"});
  EXPECT_EQ(width.s().name_width, 0);
  for (const char* text : {"width", "width=", "output", "path", "file", "exclude", "level",
                           "delimeter", "greater", "lessthan", "older", "newer", "comment", "begin",
                           "end", "hashset", "logfile", "accounting=", "jobs"}) {
    ParsedRun r;
    EXPECT_EQ(r.parse({std::string("--") + text}), 6) << text;
    EXPECT_EQ(r.err, std::string("\nIllegal option: ") + text + kOptionReason);
  }
  ParsedRun sizes;
  sizes.parse({"--greater=5", "--lessthan=9"});
  EXPECT_EQ(sizes.s().size_greater, 5);
  EXPECT_EQ(sizes.s().size_less, 9);
  ParsedRun twins;
  twins.parse({"--bigger=7", "--smaller=3", "--begin=12", "--end=-4", "--dirsize", "--ext", "--im",
               "--quote", "--pause", "--utf", "--var", "--seq=4", "--showat", "--crc", "--create",
               "--hashset=h"});
  EXPECT_EQ(twins.s().size_greater, 7);
  EXPECT_EQ(twins.s().size_less, 3);
  EXPECT_EQ(twins.s().begin_offset, 12);
  EXPECT_EQ(twins.s().end_offset, -4);
  EXPECT_EQ(twins.s().dirsize_mode, 1);
  EXPECT_EQ(twins.s().ext_mode, 2);
  EXPECT_EQ(twins.s().immediate, 1);
  EXPECT_EQ(twins.s().quote_fields, 1);
  EXPECT_EQ(twins.s().pause_on + twins.s().utf_on + twins.s().variable_width +
                twins.s().sequence_on + twins.s().showat_on + twins.s().crc_on +
                twins.s().create_on + twins.s().hashset_on,
            8);
  ParsedRun name_after;
  name_after.parse({"--nameafter5"});
  EXPECT_EQ(name_after.s().name_after, 5);
  ParsedRun jobs;
  jobs.parse({"--jobs=3"});
  EXPECT_EQ(jobs.s().jobs, 3);
  ParsedRun comment;
  comment.parse({"--comment=abc=20"});
  EXPECT_EQ(comment.s().comment_text, "abc");
  EXPECT_EQ(comment.s().comment_width, 20);
}

TEST(LongOptions, ThreadCountAndFormatValues) {
  struct Case {
    const char* text;  // after "--"
    bool refused;
    std::int32_t jobs;
    std::int32_t format;
  };
  const Case cases[] = {
      {"jobs=0", false, 0, kFormatDelimited},       {"jobs=64", false, 64, kFormatDelimited},
      {"JOBS=007 ", false, 7, kFormatDelimited},    {"jobs=abc", true, 0, kFormatDelimited},
      {"jobs=-3", true, 0, kFormatDelimited},       {"jobs=65", true, 0, kFormatDelimited},
      {"jobs=+4", true, 0, kFormatDelimited},       {"jobs= 4", true, 0, kFormatDelimited},
      {"jobs=4x", true, 0, kFormatDelimited},       {"jobs=99999999999", true, 0, kFormatDelimited},
      {"format=CSV", false, 0, kFormatCsv},         {"format=json", false, 0, kFormatJsonLines},
      {"format=plain", false, 0, kFormatDelimited}, {"format=xml", true, 0, kFormatDelimited},
      {"format=csvx", true, 0, kFormatDelimited},
  };
  for (const Case& c : cases) {
    ParsedRun r;
    EXPECT_EQ(r.parse({std::string("--") + c.text}), c.refused ? 6 : -1) << c.text;
    EXPECT_EQ(r.err, c.refused ? std::string("\nIllegal option: ") + c.text + kOptionReason : "")
        << c.text;
    EXPECT_EQ(r.s().jobs, c.jobs) << c.text;
    EXPECT_EQ(r.s().output_format, c.format) << c.text;
  }
}

TEST(LongOptions, Delimiter) {
  struct Case {
    const char* value;
    char delimiter;
  };
  for (const Case& c : {Case{"pipe", '|'}, Case{",", ','}, Case{"9", '9'}, Case{"09", '\t'},
                        Case{"59", ';'}, Case{"PIPE", '\0'}}) {
    ParsedRun r;
    r.parse({std::string("--delimeter=") + c.value});
    EXPECT_EQ(r.s().delimiter, c.delimiter) << c.value;
    EXPECT_EQ(r.s().quote_fields, 0) << c.value;
    EXPECT_EQ(r.s().delimiter_set, 0);
  }
}

TEST(LongOptions, OutputPathsAndExclusions) {
  ParsedRun output;
  output.parse({"-a", "--output=stdout"});
  EXPECT_EQ(output.s().append_output, 0);
  EXPECT_EQ(output.s().output_mode, 1);
  EXPECT_EQ(output.s().output_path, cwd_path("stdout"));  // not the keyword here
  ParsedRun masks;
  masks.parse({"--output=/tmp/YYYYMMDD.txt"});
  EXPECT_EQ(masks.s().output_path, "/tmp/YYYYMMDD.txt");  // no mask expansion
  ParsedRun path;
  path.parse({"--path=/tmp/a/", "--PATH=/b"});
  EXPECT_EQ(path.ctx.lists.roots, (std::vector<std::string>{"/tmp/a", "/b"}));
  ParsedRun exclude;
  exclude.parse({"--exclude=*.TMP"});
  EXPECT_EQ(exclude.s().exclusions_on, 1);
  EXPECT_EQ(exclude.ctx.lists.exclusions, std::vector<std::string>{"*.TMP"});
}

TEST(LongOptions, AgeLimits) {
  ScopedTimeZone utc("UTC");
  ParsedRun days;
  days.parse({"--older=30", "--younger=7"});
  EXPECT_EQ(days.s().older_days, 30);
  EXPECT_EQ(days.s().newer_days, 7);
  EXPECT_EQ(days.s().age_filter_on, 1);
  EXPECT_EQ(days.s().older_than_date + days.s().newer_than_date, 2);
  ParsedRun date;
  date.parse({"--before=12-05-2005w", "--new=10/20/2005"});
  EXPECT_EQ(date.s().date_letter_w, 'w');
  EXPECT_EQ(date.s().older_bound, file_time_of(local_seconds(2005, 12, 5)));
  EXPECT_EQ(date.s().newer_bound, file_time_of(local_seconds(2005, 10, 20)));
  EXPECT_EQ(date.s().older_days, 5);
}

TEST(LongOptions, FileList) {
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"--source=/nonexistent/list.txt"}), 3);
  EXPECT_EQ(missing.err, "\nCannot find/open /nonexistent/list.txt");
  ParsedRun present;
  EXPECT_EQ(present.parse({"--SOURCE=/dev/null"}), -1);
  EXPECT_EQ(present.s().file_list_on, 1);
  EXPECT_GE(present.ctx.file_list, 0);
  if (present.ctx.file_list >= 0) platform::close_handle(present.ctx.file_list);
  ParsedRun empty;
  EXPECT_EQ(empty.parse({"--sour", "--sour="}), -1);
  EXPECT_EQ(empty.s().file_list_on, 0);
  EXPECT_EQ(empty.err, "");
}

TEST(LongOptions, DirectCallResults) {
  ParsedRun r;
  RunConfigHost host(r.ctx);
  ConfigRun run{r.ctx.settings, r.ctx.lists, r.ctx.file_list, host, r.ctx.console, r.clock};
  std::string refused = "width";
  EXPECT_FALSE(parse_long_option(run, refused));
  std::string accepted = "width=12";
  EXPECT_TRUE(parse_long_option(run, accepted));
  EXPECT_EQ(r.s().name_width, 12);
  std::string upper = "str=on";
  EXPECT_TRUE(parse_long_option(run, upper));
  EXPECT_EQ(upper, "str=ON");
  EXPECT_FALSE(run.stop);
}

}  // namespace
}  // namespace mailsift::test
