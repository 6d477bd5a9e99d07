#include <gtest/gtest.h>

#include <string>

#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

TEST(Options, AgeAndSizeLimits) {
  ScopedTimeZone utc("UTC");
  ParsedRun days;
  days.parse({"-g", "30", "-l5"});
  EXPECT_EQ(days.s().age_filter_on, 1);
  EXPECT_EQ(days.s().older_than_date, 1);
  EXPECT_EQ(days.s().newer_than_date, 1);
  EXPECT_EQ(days.s().older_days, 30);
  EXPECT_EQ(days.s().newer_days, 5);
  EXPECT_EQ(days.s().date_letter_a | days.s().date_letter_c | days.s().date_letter_w, 0);

  ParsedRun date;  // clock: 2005-12-10 12:00 UTC
  date.parse({"-g", "10-20-2005a"});
  EXPECT_EQ(date.s().date_letter_a, 'a');
  EXPECT_EQ(date.s().date_letter_w, 0);
  EXPECT_EQ(date.s().older_days, 51);
  EXPECT_EQ(date.s().older_bound, file_time_of(local_seconds(2005, 10, 20)));
  EXPECT_EQ(date.s().newer_bound, file_time_of(local_seconds(1980, 1, 1)));

  ParsedRun missing;
  EXPECT_EQ(missing.parse({"-l"}), 6);
  EXPECT_NE(missing.err.find("[NEWER=xxx]"), std::string::npos);
  EXPECT_NE(missing.err.find(kOptionReason), std::string::npos);

  ParsedRun sizes;
  sizes.parse({"-G", "100", "-L200"});
  EXPECT_EQ(sizes.s().size_greater_on, 1);
  EXPECT_EQ(sizes.s().size_greater, 100);
  EXPECT_EQ(sizes.s().size_less_on, 1);
  EXPECT_EQ(sizes.s().size_less, 200);
  ParsedRun junk;
  junk.parse({"-G", "abc", "-L", std::string(100000, '7')});
  EXPECT_EQ(junk.s().size_greater, 0);
  EXPECT_EQ(junk.s().size_less, INT64_MAX);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"-G"}, {"-G", "-1"}, {"-L"}}) {
    ParsedRun r;
    EXPECT_EQ(r.parse(bad), 6) << bad[0];
  }
}

TEST(Options, AccountingLog) {
  ParsedRun named;
  // A path below a regular file can never be opened, whoever runs the test.
  // The log module may end the run itself (status 1) when it cannot open the
  // log; otherwise parsing says so and goes on without one.
  const int code = named.parse({"-1", "/etc/passwd/log.txt"});
  EXPECT_EQ(named.s().accounting_on, 1);
  EXPECT_EQ(named.s().accounting_path, "/etc/passwd/log.txt");
  if (code == -1) {
    EXPECT_NE(named.err.find("\nAccounting file not opened\n"), std::string::npos);
  } else {
    EXPECT_EQ(code, 1);
  }
  EXPECT_FALSE(named.ctx.accounting_log.is_open());
  ParsedRun cleared;
  cleared.parse({"-1/etc/passwd/log.txt", "+1"});
  EXPECT_EQ(cleared.s().accounting_on, 0);
  EXPECT_EQ(cleared.err.find("Accounting file not opened"), std::string::npos);
  for (const auto& bad : std::vector<std::vector<std::string>>{{"-1"}, {"-1", "-r"}}) {
    ParsedRun r;
    EXPECT_EQ(r.parse(bad), 6);
    EXPECT_NE(r.err.find("[ACCT=filename]"), std::string::npos);
  }
  ParsedRun split;
  split.ctx.settings.split_log = 1;
  split.parse({"-o", "/etc/passwd/out.txt"});
  EXPECT_EQ(split.s().accounting_on, 1);
  EXPECT_EQ(split.s().split_log_path, "/etc/passwd/out.txt.log");
}

TEST(Options, UsageAndAttribution) {
  ParsedRun usage;
  EXPECT_EQ(usage.parse({"-?"}), 6);
  EXPECT_NE(usage.err.find("MAILSIFT"), std::string::npos);
  EXPECT_NE(usage.err.find(kOptionReason), std::string::npos);
  ParsedRun credits;
  EXPECT_EQ(credits.parse({"-@"}), 6);
  EXPECT_EQ(credits.s().show_sha_credits, 1);
  EXPECT_NE(credits.out.find("SHA-2"), std::string::npos);
  EXPECT_EQ(credits.err, "");  // no summary, no reason
}

TEST(Options, Comment) {
  ParsedRun computer;
  computer.parse({"-C", "computername=20"});
  EXPECT_EQ(computer.s().comment_on, 1);
  EXPECT_EQ(computer.s().comment_text, "computername");
  EXPECT_EQ(computer.s().comment_width, 20);
  ParsedRun cut;
  cut.parse({"-Chello:30"});
  EXPECT_EQ(cut.s().comment_text, "hello");
  EXPECT_EQ(cut.s().comment_width, 30);
  ParsedRun plain;
  plain.parse({"-C", std::string(500, 'c')});
  EXPECT_EQ(plain.s().comment_text.size(), 127u);
  EXPECT_EQ(plain.s().comment_width, 127);
  ParsedRun dash;
  EXPECT_EQ(dash.parse({"-C", "-x"}), 6);
}

TEST(Options, EnvironmentDelimiter) {
  ParsedRun quoted;
  quoted.parse({"-r"}, {{"DELIMETER", "\";"}});
  EXPECT_EQ(quoted.s().delimiter, ';');
  EXPECT_EQ(quoted.err, "env points to :;:");
  ParsedRun overridden;
  overridden.parse({"-d", "#"}, {{"DELIMETER", ","}});
  EXPECT_EQ(overridden.s().delimiter, '#');
  EXPECT_EQ(overridden.s().quote_fields, 0);  // the environment never switches quoting on
}

TEST(Options, HostileArguments) {
  ParsedRun long_option;
  EXPECT_EQ(long_option.parse({"--" + std::string(100000, 'q')}), -1);
  EXPECT_NE(long_option.err.find("IGNORED"), std::string::npos);
  ParsedRun long_group;
  EXPECT_EQ(long_group.parse({"-" + std::string(100000, 'r')}), -1);
  EXPECT_EQ(long_group.s().recurse, 1);  // an even number of toggles
  ParsedRun long_date;
  EXPECT_EQ(long_date.parse({"-g", std::string(50000, '9') + "-" + std::string(50000, '9')}), -1);
  EXPECT_EQ(long_date.s().age_filter_on, 1);
  ParsedRun lone_dash;
  EXPECT_EQ(lone_dash.parse({"-", "+"}), -1);
}

TEST(Options, PlusOneClosesAnOpenLog) {
  ParsedRun r;
  std::string log;
  r.ctx.accounting_log.attach_string(&log);
  // The "+" form of "1" is told by the character before it: in "+a1" the
  // "a" is in its "+" form, the "1" is not and takes a value.
  EXPECT_EQ(r.parse({"-a", "+a1", "/etc/passwd/x.log", "+1"}), -1);
  EXPECT_EQ(r.s().append_output, 0);
  EXPECT_EQ(r.s().accounting_path, "/etc/passwd/x.log");
  EXPECT_EQ(r.s().accounting_on, 0);
  EXPECT_FALSE(r.ctx.accounting_log.is_open());  // "+1" closed it
}

TEST(Options, SaturatedNumbers) {
  ParsedRun r;
  r.parse({"--level=99999999999", "-G", "-", "-L=5"});
  EXPECT_EQ(r.s().max_level, 2147483647);
  EXPECT_EQ(r.s().size_greater, 0);  // attached "-" reads no digits
  EXPECT_EQ(r.s().size_less, 0);     // no "=" is skipped for sizes
}

}  // namespace
}  // namespace mailsift::test
