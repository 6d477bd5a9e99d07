// What configuration asks of the run, in order, and how the run carries it
// out: every way configuration ends the run is its last action, with nothing
// read after the message that caused it.
// GCC 12 reports a false "may be used uninitialized" for a table of actions
// (a std::variant in each element).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "unit/config_test_support.h"

namespace mailsift::test {
namespace {

TEST(ConfigActions, InOrderAndNothingReadAfterAnEnd) {
  struct Case {
    std::vector<std::string> args;
    const char* ini;  // the INI text, or null
    ConfigEnvironment env;
    const char* actions;
  };
  const Case cases[] = {
      {{"-k", "-r"},
       nullptr,
       {},
       "show messages pause 2: \nIllegal option k\n\nend 6 with summary\n"},
      {{"--nothing", "-r"},
       nullptr,
       {},
       "show messages pause 3: \nIllegal or incomplete minusminus option of \"--nothing\" "
       "IGNORED\nPlease check the option compatability and rerun if necessary\n\n"},
      {{"--width", "-r"},
       nullptr,
       {},
       "show messages: \nIllegal option: width\nend 6 with summary\n"},
      {{"-?", "-r"}, nullptr, {}, "usage\nend 6 with summary\n"},
      {{"-l"}, nullptr, {}, "usage\nend 6 with summary\n"},
      {{"-x", "-r"}, nullptr, {}, "usage\nend 6 at once\n"},
      {{"-f", "a/b", "-r"},
       nullptr,
       {},
       "show error: Can't have a / in the file type option\n\nend 6 with summary\n"},
      {{"-a", "/extra", "-r"},
       nullptr,
       {},
       "show messages: \nThere appears to be an extra or eroneous item \"/extra\"\n"
       "at the end of the command line\nPlease check your syntax, and correct to problem.\n\n"
       "end 6 with summary\n"},
      {{"--source=/none/list", "--sour", "-r"}, nullptr, {}, "open file list /none/list\n"},
      // The environment's log first, then the INI file's warnings, then the
      // command line, then the log asked for.
      {{"-1", "/logs/b.log", "-1", "/logs/c.log"},
       "GREATER\nACCT=/logs/a.log\n",
       {.acct = "ON"},
       "open log ACCT-ING\n"
       "show messages pause 3: \nMissing ini file modifier at: GREATER\n"
       "GREATER size option turned OFF\n"
       "replace log by 1 naming /logs/a.log\n"
       "open requested log /logs/c.log or -\n"},
      {{"--log=x.log", "+1"},
       nullptr,
       {.acct = "/e.log", .delimeter = "\";"},
       "open log /e.log\nshow messages: env points to :;:\nreplace log by 2 naming x.log\n"},
      {{"+1"}, nullptr, {.acct = "/e.log"}, "open log /e.log\nclose log\n"},
  };
  for (const Case& c : cases) {
    const Configuration config = configure_with(c.args, c.ini, c.env);
    EXPECT_EQ(describe(config.actions), c.actions) << c.args[0];
    // "-r" is never read after an end.
    const bool ended =
        !config.actions.empty() && std::holds_alternative<EndRun>(config.actions.back().what);
    if (ended) {
      EXPECT_TRUE(config.walk.recurse) << c.args[0];
    }
  }
}

TEST(ConfigActions, TooManyExclusions) {
  std::vector<std::string> args{"-x"};
  for (int i = 0; i <= 80; ++i) args.push_back("*." + std::to_string(i));
  EXPECT_EQ(describe(configure_with(args).actions),
            "show messages: \nYou have too many -eXclude file types.\nMax exclude types is 80\n\n"
            "end 6 with summary\n");
  args.pop_back();
  EXPECT_EQ(describe(configure_with(args).actions), "");
}

TEST(ConfigActions, EachCarriesTheOptionsReadBeforeIt) {
  // "-o" names the report before its value is read: the run that ends for
  // a missing value shows the summary of a run with a report file.
  const Configuration missing = configure_with({"-a", "-o"});
  EXPECT_EQ(missing.actions.back().ending.target, ReportTarget::kFile);
  const Configuration quiet = configure_with({"--ver=on", "-k"}, nullptr, {.silent = true});
  EXPECT_EQ(quiet.actions.back().ending.quiet, 1);
  const Configuration loud = configure_with({"-k", "--ver=on"}, "SILENT=OFF", {.silent = true});
  EXPECT_EQ(loud.actions.back().ending.quiet, 0);
}

// The run carries each action out: its output, and how a run it ends ends.
TEST(ConfigActions, CarriedOutByTheRun) {
  const EndState named{ReportTarget::kFile, 0};
  const EndState quiet{ReportTarget::kFile, 1};
  struct Case {
    ConfigAction action;
    int code;  // -1: the run goes on
    std::string out;
    std::optional<std::string> err;
  };
  const std::string reason = "\nAbnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION\n\n";
  const std::string summary =
      "\n  0 directories, 0 files\n  Elapsed:  0 hrs. 0 mins. 0 secs.\n\n\n";
  const Case cases[] = {
      {{ShowText{Channel::kMessages, "m", 2}, {}}, -1, "", "m"},
      {{ShowText{Channel::kOutput, "o"}, {}}, -1, "o", ""},
      {{WaitForKey{}, {}}, -1, "", ""},
      {{EndRun{6, true}, named}, 6, "", reason + summary},
      {{EndRun{6, true}, quiet}, 6, "", reason},
      {{EndRun{6, true}, {}}, 6, "", reason},
      {{EndRun{6, false}, named}, 6, "", ""},
      {{OpenFileList{"/nonexistent/list"}, named}, 3, "", "\nCannot find/open /nonexistent/list"},
      // A log that cannot even be prepared ends the run at once.
      {{OpenRequestedLog{{"/etc/passwd/x.log", std::nullopt}}, named}, 1, "", std::nullopt},
  };
  for (const Case& c : cases) {
    ParsedRun r;
    int code = -1;
    try {
      carry_out(r.ctx, c.action);
    } catch (const RunExit& e) {
      code = e.code;
    }
    EXPECT_EQ(code, c.code) << describe({c.action});
    EXPECT_EQ(r.out, c.out) << describe({c.action});
    if (c.err) {
      EXPECT_EQ(r.err, *c.err) << describe({c.action});
    }
  }
}

}  // namespace
}  // namespace mailsift::test
