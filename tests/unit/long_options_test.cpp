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
  EXPECT_EQ(file.c.lists.name_patterns, (std::vector<std::string>{"x", "y"}));
  // "ACCESS" is tried before "ACC", and "ADS" needs no value.
  struct Case {
    const char* option;
    const char* log;  // the log asked for, or "-"
  };
  const Case cases[] = {
      {"--Accounting=/etc/passwd/a.log", "/etc/passwd/a.log"},
      {"--logfile=/etc/passwd/b.log", "/etc/passwd/b.log"},
      {"--acc=rel.log", nullptr},
      {"--ACCESS", "-"},
      {"--ads:Z", "-"},
      {"--ADS", "-"},
  };
  for (const Case& c : cases) {
    const Configuration config = configure_with({c.option});
    const std::string expected = c.log != nullptr ? c.log : cwd_path("rel.log");
    EXPECT_EQ(describe(config.actions),
              expected == "-" ? "" : "open requested log " + expected + " or -\n")
        << c.option;
  }
}

TEST(LongOptions, WholeKeywordsAndIgnoredOnes) {
  ParsedRun hash;
  EXPECT_EQ(hash.parse({"--HASH", "--sha", "--sha256", "--sha384", "--sha512", "--reverse"}), -1);
  const DigestRequest& digests = hash.c.scan.digests;
  EXPECT_TRUE(digests.md5 && digests.sha1 && digests.sha256 && digests.sha384 && digests.sha512);
  EXPECT_FALSE(digests.crc32);
  EXPECT_EQ(hash.err, "");
  // "-c" and "--crc" ask for CRC-32 and withdraw MD5 and SHA-1 only.
  ParsedRun crc;
  crc.parse({"--md5", "--sha1", "--sha2", "--crc"});
  EXPECT_TRUE(crc.c.scan.digests.crc32 && crc.c.scan.digests.sha256);
  EXPECT_FALSE(crc.c.scan.digests.md5 || crc.c.scan.digests.sha1);
  for (const char* text : {"HASH=ON", "sha1x", "reversex", "HELP", "helpx"}) {
    ParsedRun r;
    EXPECT_EQ(r.parse({std::string("--") + text, "-r"}), -1) << text;
    EXPECT_EQ(r.err, std::string("\nIllegal or incomplete minusminus option of \"--") + text +
                         kIgnoredTail);
    EXPECT_FALSE(r.c.scan.digests.md5);
    EXPECT_FALSE(r.c.walk.recurse);  // parsing goes on after the warning
  }
}

TEST(LongOptions, OnOffValues) {
  ParsedRun alone;
  alone.parse({"-r", "--recurse"});
  EXPECT_TRUE(alone.c.walk.recurse);
  ParsedRun off;
  off.parse({"--recurse=off", "--verbose=On", "--streams=OFF", "--reset=on"});
  EXPECT_FALSE(off.c.walk.recurse);
  EXPECT_EQ(off.c.run.quiet, 1);
  // The accounting log echoes the upper-cased values.
  EXPECT_EQ(off.c.args[1], "--recurse=OFF");
  EXPECT_EQ(off.c.args[2], "--verbose=ON");
  EXPECT_EQ(off.c.args[3], "--streams=OFF");
  // Anything but ON or OFF is refused, the value upper-cased in the echo.
  const std::pair<const char*, const char*> refused[] = {
      {"recurse=no", "recurse=NO"}, {"streams=1", "streams=1"}, {"reset=yes", "reset=YES"}};
  for (const auto& [text, shown] : refused) {
    ParsedRun no;
    EXPECT_EQ(no.parse({std::string("--") + text}), 6) << text;
    EXPECT_EQ(no.err, std::string("\nIllegal option: ") + shown + kOptionReason);
    EXPECT_EQ(no.c.args[1], std::string("--") + shown);
  }
}

TEST(LongOptions, ValuesAndRefusals) {
  ParsedRun level;
  level.parse({"--level=2"});
  EXPECT_EQ(level.c.walk.depth_limit, 3);
  EXPECT_TRUE(level.c.walk.attributes.on);
  EXPECT_TRUE(level.c.walk.attributes.directories_only);
  // A later "--dirsize" lets files through again; an earlier one does not.
  ParsedRun dirsize_after;
  dirsize_after.parse({"--level=2", "--dirsize"});
  EXPECT_FALSE(dirsize_after.c.walk.attributes.directories_only);
  ParsedRun dirsize_before;
  dirsize_before.parse({"--dirsize", "--level=2"});
  EXPECT_TRUE(dirsize_before.c.walk.attributes.directories_only);
  for (const char* text :
       {"width",     "width=",  "output",   "path",        "file",  "exclude", "level",
        "delimeter", "greater", "lessthan", "older",       "newer", "comment", "begin",
        "end",       "hashset", "logfile",  "accounting=", "jobs",  "format"}) {
    ParsedRun r;
    EXPECT_EQ(r.parse({std::string("--") + text}), 6) << text;
    EXPECT_EQ(r.err, std::string("\nIllegal option: ") + text + kOptionReason);
  }
  ParsedRun twins;
  EXPECT_EQ(twins.parse({"--bigger=7", "--smaller=3", "--begin=12", "--end=-4", "--ext", "--im",
                         "--quote", "--pause", "--utf", "--var", "--seq=4", "--showat", "--create",
                         "--hashset=h", "--width=abc", "--nameafter5", "--comment=abc=20"}),
            -1);
  EXPECT_EQ(twins.c.walk.min_size, 7);
  EXPECT_EQ(twins.c.walk.max_size, 3);
  EXPECT_TRUE(twins.c.run.counting_pass);
  EXPECT_TRUE(twins.c.report.quoted);
  EXPECT_EQ(twins.err, "");
}

TEST(LongOptions, JobsAndFormatValues) {
  struct Case {
    const char* option;
    int jobs;             // -1: refused
    ReportFormat format;  // when accepted
  };
  const Case cases[] = {
      {"--jobs=0", 0, ReportFormat::kDelimited},
      {"--jobs=64", 64, ReportFormat::kDelimited},
      {"--JOBS=007", 7, ReportFormat::kDelimited},
      {"--jobs=65", -1},
      {"--jobs=-3", -1},
      {"--jobs=abc", -1},
      {"--jobs=4x", -1},
      {"--jobs=+4", -1},
      {"--jobs= 4", -1},
      {"--jobs=99999999999", -1},
      {"--JOBS=8 ", 8, ReportFormat::kDelimited},
      {"--format=CSV", 0, ReportFormat::kCsv},
      {"--format=json", 0, ReportFormat::kJsonLines},
      {"--format=jsonl", 0, ReportFormat::kJsonLines},
      {"--format=plain", 0, ReportFormat::kDelimited},
      {"--format=xml", -1},
      {"--format=csvx", -1},
  };
  for (const Case& c : cases) {
    ParsedRun r;
    const int code = r.parse({"--format=csv", c.option});
    if (c.jobs < 0) {
      EXPECT_EQ(code, 6) << c.option;
      EXPECT_EQ(r.err, std::string("\nIllegal option: ") + (c.option + 2) + kOptionReason);
      continue;
    }
    EXPECT_EQ(code, -1) << c.option;
    EXPECT_EQ(r.c.run.jobs, c.jobs) << c.option;
    if (c.option[2] == 'f') {
      EXPECT_EQ(r.c.report.format, c.format) << c.option;
    }
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
    EXPECT_EQ(r.c.report.delimiter, c.delimiter) << c.value;
    EXPECT_FALSE(r.c.report.quoted) << c.value;
  }
}

TEST(LongOptions, OutputPathsAndExclusions) {
  ParsedRun output;
  output.parse({"-a", "--output=stdout"});
  EXPECT_FALSE(output.c.report.append);
  EXPECT_EQ(output.c.report.target, ReportTarget::kFile);
  EXPECT_EQ(output.c.report.path, cwd_path("stdout"));  // not the keyword here
  ParsedRun path;
  path.parse({"--path=/tmp/a/", "--PATH=/b"});
  EXPECT_EQ(path.c.lists.roots, (std::vector<std::string>{"/tmp/a", "/b"}));
  ParsedRun exclude;
  exclude.parse({"--exclude=*.TMP"});
  EXPECT_TRUE(exclude.c.walk.exclusions_on);
  EXPECT_EQ(exclude.c.lists.exclusions, std::vector<std::string>{"*.TMP"});
}

TEST(LongOptions, AgeLimits) {
  ScopedTimeZone utc("UTC");
  ParsedRun days;
  days.parse({"--older=30", "--younger=7"});
  const AgeFilter& age = days.c.walk.age;
  EXPECT_EQ(age.older_than, Days{30});
  EXPECT_EQ(age.newer_than, Days{7});
  EXPECT_TRUE(age.on && age.older_given && age.newer_given);
  ParsedRun date;
  date.parse({"--before=12-05-2005w", "--new=10/20/2005"});
  EXPECT_TRUE(date.c.walk.age.write_marked);
  EXPECT_EQ(date.c.walk.age.older_bound, file_time_of(local_seconds(2005, 12, 5)));
  EXPECT_EQ(date.c.walk.age.newer_bound, file_time_of(local_seconds(2005, 10, 20)));
  EXPECT_EQ(date.c.walk.age.older_than, Days{5});
}

TEST(LongOptions, FileList) {
  ParsedRun missing;
  EXPECT_EQ(missing.parse({"--source=/nonexistent/list.txt"}), 3);
  EXPECT_EQ(missing.err, "\nCannot find/open /nonexistent/list.txt");
  EXPECT_FALSE(missing.ctx.file_list.is_open());
  // The last list named is the one read; one that cannot be opened ends the
  // run, and the list opened before it is closed.
  ParsedRun present;
  EXPECT_EQ(present.parse({"--SOURCE=/dev/zero", "--source=/dev/null"}), -1);
  EXPECT_TRUE(present.ctx.file_list.is_open());
  ParsedRun then_missing;
  EXPECT_EQ(then_missing.parse({"--source=/dev/null", "--source=/nonexistent"}), 3);
  EXPECT_FALSE(then_missing.ctx.file_list.is_open());
  ParsedRun empty;
  EXPECT_EQ(empty.parse({"--sour", "--sour="}), -1);
  EXPECT_FALSE(empty.ctx.file_list.is_open());
  EXPECT_EQ(empty.err, "");
}

}  // namespace
}  // namespace mailsift::test
