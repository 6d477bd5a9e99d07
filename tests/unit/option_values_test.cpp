#include <gtest/gtest.h>

#include <string>

#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

TEST(Options, AgeAndSizeLimits) {
  ScopedTimeZone utc("UTC");
  ParsedRun days;
  days.parse({"-g", "30", "-l5"});
  const AgeFilter& age = days.c.walk.age;
  EXPECT_TRUE(age.on);
  EXPECT_TRUE(age.older_given);
  EXPECT_TRUE(age.newer_given);
  EXPECT_EQ(age.older_than, Days{30});
  EXPECT_EQ(age.newer_than, Days{5});
  EXPECT_FALSE(age.access_marked || age.creation_marked || age.write_marked);

  ParsedRun date;  // clock: 2005-12-10 12:00 UTC
  date.parse({"-g", "10-20-2005a"});
  EXPECT_TRUE(date.c.walk.age.access_marked);
  EXPECT_FALSE(date.c.walk.age.write_marked);
  EXPECT_EQ(date.c.walk.age.older_than, Days{51});
  EXPECT_EQ(date.c.walk.age.older_bound, file_time_of(local_seconds(2005, 10, 20)));
  EXPECT_EQ(date.c.walk.age.newer_bound, file_time_of(local_seconds(1980, 1, 1)));

  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-l"}), 6);
  EXPECT_NE(missing.err.find("[NEWER=xxx]"), std::string::npos);
  EXPECT_NE(missing.err.find(kOptionReason), std::string::npos);

  ParsedRun sizes;
  sizes.parse({"-G", "100", "-L200"});
  EXPECT_EQ(sizes.c.walk.min_size, 100);
  EXPECT_EQ(sizes.c.walk.max_size, 200);
  ParsedRun junk;
  junk.parse({"-G", "abc", "-L", std::string(100000, '7')});
  EXPECT_EQ(junk.c.walk.min_size, 0);
  EXPECT_EQ(junk.c.walk.max_size, INT64_MAX);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"-G"}, {"-G", "-1"}, {"-L"}}) {
    ParsedRun r;
    EXPECT_EQ(r.parse(bad), 6) << bad[0];
  }
}

TEST(Options, AccountingLog) {
  // A path below a regular file can never be opened, whoever runs the test.
  // The log module may end the run itself (status 1) when it cannot prepare
  // the log; otherwise the run says so and goes on without one.
  struct Case {
    std::vector<std::string> args;
    const char* ini;  // the standing INI file's text, or null
    const char* log;  // what the run asks for once everything is read
  };
  const Case cases[] = {
      {{"-1", "/etc/passwd/log.txt"}, nullptr, "open requested log /etc/passwd/log.txt or -\n"},
      {{"-1/etc/passwd/log.txt", "+1"}, nullptr, ""},
      {{"-o", "/etc/passwd/out.txt"},
       "SPLIT=1\n",
       "open requested log - or /etc/passwd/out.txt.log\n"},
      {{"--log=/x/a.log", "-o", "/x/out.txt"},
       "SPLIT\nSPLIT=2\n",
       "open requested log /x/a.log or /x/out.txt.log\n"},
  };
  for (const Case& c : cases) {
    std::string requests;
    for (const ConfigAction& action : configure_with(c.args, c.ini).actions) {
      if (std::holds_alternative<OpenRequestedLog>(action.what)) requests += describe({action});
    }
    EXPECT_EQ(requests, c.log) << c.args[0];
  }
  ParsedRun named;
  const int code = named.parse({"-1", "/etc/passwd/log.txt"});
  if (code == -1) {
    EXPECT_NE(named.err.find("\nAccounting file not opened\n"), std::string::npos);
  } else {
    EXPECT_EQ(code, 1);
  }
  EXPECT_FALSE(named.ctx.accounting_log.is_open());
  for (const auto& bad : std::vector<std::vector<std::string>>{{"-1"}, {"-1", "-r"}}) {
    ParsedRun r;
    EXPECT_EQ(r.parse(bad), 6);
    EXPECT_NE(r.err.find("[ACCT=filename]"), std::string::npos);
  }
}

TEST(Options, UsageAndAttribution) {
  ParsedRun usage;
  EXPECT_EQ(usage.parse({"-?"}), 6);
  EXPECT_NE(usage.err.find("MAILSIFT"), std::string::npos);
  EXPECT_NE(usage.err.find(kOptionReason), std::string::npos);
  ParsedRun credits;
  EXPECT_EQ(credits.parse({"-@"}), 6);
  EXPECT_NE(credits.out.find("SHA-2"), std::string::npos);
  EXPECT_EQ(credits.err, "");  // no summary, no reason
}

TEST(Options, CommentNeedsAValue) {
  for (const char* value : {"computername=20", "hello:30", "x"}) {
    ParsedRun r;
    EXPECT_EQ(r.parse({"-C", value}), -1) << value;
  }
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-C", "-x"}), 6);
  EXPECT_NE(dash.err.find("[ACCT=filename]"), std::string::npos);  // the usage text
}

TEST(Options, EnvironmentDelimiter) {
  ParsedRun quoted;
  quoted.parse({"-r"}, {{"DELIMETER", "\";"}});
  EXPECT_EQ(quoted.c.report.delimiter, ';');
  EXPECT_EQ(quoted.err, "env points to :;:");
  ParsedRun comma;
  comma.parse({}, {{"DELIMETER", ","}});
  EXPECT_EQ(comma.c.report.delimiter, ',');
  EXPECT_FALSE(comma.c.report.quoted);  // the environment never switches quoting on
  ParsedRun overridden;
  overridden.parse({"-d", "#"}, {{"DELIMETER", ","}});
  EXPECT_EQ(overridden.c.report.delimiter, '#');
}

TEST(Options, HostileArguments) {
  ParsedRun long_option;
  EXPECT_EQ(long_option.parse({"--" + std::string(100000, 'q')}), -1);
  EXPECT_NE(long_option.err.find("IGNORED"), std::string::npos);
  ParsedRun long_group;
  EXPECT_EQ(long_group.parse({"-" + std::string(100000, 'r')}), -1);
  EXPECT_TRUE(long_group.c.walk.recurse);  // an even number of toggles
  ParsedRun long_date;
  EXPECT_EQ(long_date.parse({"-g", std::string(50000, '9') + "-" + std::string(50000, '9')}), -1);
  EXPECT_TRUE(long_date.c.walk.age.on);
  ParsedRun lone_dash;
  EXPECT_EQ(lone_dash.parse({"-", "+"}), -1);
}

TEST(Options, PlusOneClosesAnOpenLog) {
  ParsedRun r;
  // The "+" form of "1" is told by the character before it: in "+a1" the
  // "a" is in its "+" form, the "1" is not and takes a value.
  EXPECT_EQ(r.parse({"-a", "+a1", "/etc/passwd/x.log", "+1"}), -1);
  EXPECT_FALSE(r.c.report.append);
  EXPECT_EQ(r.err, "");  // no log is asked for in the end
  testing_support::ScratchDir dir;
  const std::string env_log = dir / "env.log";
  ParsedRun closed;
  EXPECT_EQ(closed.parse({"+1"}, {{"ACCT", env_log.c_str()}}), -1);
  EXPECT_FALSE(closed.ctx.accounting_log.is_open());
  EXPECT_EQ(testing_support::read_bytes(env_log), "\n" + std::string(40, '*') + "\n");
}

TEST(Options, SaturatedNumbers) {
  ParsedRun r;
  EXPECT_EQ(r.parse({"--level=99999999999", "-G-", "-L=5"}), -1);
  EXPECT_EQ(r.c.walk.depth_limit, 2147483647);
  EXPECT_EQ(r.c.walk.min_size, 0);  // attached "-" reads no digits
  EXPECT_EQ(r.c.walk.max_size, 0);  // no "=" is skipped for sizes
  ParsedRun minus_one;
  minus_one.parse({"--level=-1"});
  EXPECT_FALSE(minus_one.c.walk.depth_limit);  // a limit of 0 is none
}

}  // namespace
}  // namespace mailsift::test
