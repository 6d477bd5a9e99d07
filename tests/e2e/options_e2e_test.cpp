#include <gtest/gtest.h>

#include <cctype>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

const std::string kReason = "\nAbnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION\n\n";

// "mailsift Ver. yy.mm.dd.hh.mm" followed by the check mark and a line end.
bool is_version_line(const std::string& text, const std::string& check) {
  const std::string head = "mailsift Ver. ";
  if (text.rfind(head, 0) != 0 || text.size() != head.size() + 14 + check.size() + 1) return false;
  for (std::size_t i = 0; i < 14; ++i) {
    char c = text[head.size() + i];
    bool ok = i % 3 == 2 ? c == '.' : std::isdigit(static_cast<unsigned char>(c)) != 0;
    if (!ok) return false;
  }
  return text.substr(head.size() + 14) == check + "\n";
}

class OptionsE2E : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_scratch_dir(); }
  void TearDown() override { remove_tree(dir_); }
  RunOptions opts() {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.timeout_seconds = 20;
    return o;
  }
  std::string dir_;
};

TEST_F(OptionsE2E, OptionErrorsEndWithSix) {
  struct Case {
    std::vector<std::string> args;
    std::string err;
  };
  const Case cases[] = {
      {{"-k"}, "\nIllegal option k\n" + kReason},
      {{"-rk"}, "\nIllegal option k\n" + kReason},
      {{"-rh"}, "\nIllegal option h\n" + kReason},
      {{"-G", "-5"}, kReason},
      {{"--width"}, "\nIllegal option: width" + kReason},
      {{"--recurse=maybe"}, "\nIllegal option: recurse=MAYBE" + kReason},
      {{"-f", "a/b"}, "Can't have a / in the file type option\n" + kReason},
      {{"-r", "extra"},
       "\nThere appears to be an extra or eroneous item \"extra\"\nat the end of the command "
       "line\nPlease check your syntax, and correct to problem.\n" +
           kReason},
  };
  for (const Case& c : cases) {
    RunResult r = run_mailsift(c.args, opts());
    EXPECT_EQ(r.status, 6) << c.args[0];
    EXPECT_EQ(r.err, c.err) << c.args[0];
    EXPECT_EQ(r.out, "") << c.args[0];  // messages leave a redirected stdout alone
  }
  // "-o" has already named an output when its value turns out missing, so the
  // summary of an output run follows the reason.
  RunResult output = run_mailsift({"-o"}, opts());
  EXPECT_EQ(output.status, 6);
  EXPECT_EQ(output.err.rfind(kReason + "\n  0 directories, 0 files\n  Elapsed: ", 0), 0u)
      << output.err;
}

TEST_F(OptionsE2E, HelpAndVersionConventions) {
  RunResult bare = run_mailsift({}, opts());
  EXPECT_EQ(bare.status, 0);
  EXPECT_NE(bare.err.find("MAILSIFT"), std::string::npos);
  EXPECT_EQ(bare.err.find("RETURN TO CONTINUE"), std::string::npos);  // no terminal, no prompt
  for (const char* help : {"--help", "-h"}) {
    RunResult r = run_mailsift({"-r", help}, opts());
    EXPECT_EQ(r.status, 0) << help;
    EXPECT_EQ(r.err, bare.err) << help;
    EXPECT_EQ(r.out, "");
  }
  RunResult question = run_mailsift({"-?"}, opts());
  EXPECT_EQ(question.status, 6);
  EXPECT_EQ(question.err, bare.err + kReason);

  RunResult version = run_mailsift({"--version"}, opts());
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.err, "");
  EXPECT_TRUE(is_version_line(version.out, "\xFB")) << version.out;
  RunOptions utf8 = opts();
  utf8.env.push_back("LC_CTYPE=C.UTF-8");
  for (std::string& e : utf8.env) {
    if (e.rfind("LC_ALL=", 0) == 0) e = "LC_ALL=C.UTF-8";
  }
  RunResult unicode = run_mailsift({"--version"}, utf8);
  EXPECT_TRUE(is_version_line(unicode.out, "\xE2\x88\x9A")) << unicode.out;
  EXPECT_EQ(unicode.out.substr(0, 28), version.out.substr(0, 28));
  // The banner shows the same version text.
  EXPECT_NE(bare.err.find("Ver. " + version.out.substr(14, 15) + " (32 bit unicode) "),
            std::string::npos);

  // Near misses keep their ordinary meaning.
  RunResult upper = run_mailsift({"--HELP"}, opts());
  EXPECT_EQ(upper.status, 0);
  EXPECT_NE(upper.err.find("\nIllegal or incomplete minusminus option of \"--HELP\" IGNORED\n"),
            std::string::npos);
  EXPECT_EQ(upper.err.find("MAILSIFT"), std::string::npos);
  RunResult longer = run_mailsift({"--helpx"}, opts());
  EXPECT_NE(longer.err.find("\"--helpx\" IGNORED"), std::string::npos);
}

TEST_F(OptionsE2E, AttributionAndFileList) {
  RunResult credits = run_mailsift({"-@"}, opts());
  EXPECT_EQ(credits.status, 6);
  EXPECT_NE(credits.out.find("SHA-2"), std::string::npos);  // this option's own output
  EXPECT_EQ(credits.err, "");
  RunResult list = run_mailsift({"--source=missing.txt"}, opts());
  EXPECT_EQ(list.status, 3);
  EXPECT_EQ(list.err, "\nCannot find/open missing.txt");
}

TEST_F(OptionsE2E, HostileArgumentsNeverCrash) {
  const std::vector<std::vector<std::string>> lines = {
      {"-g", "99-99-9999"},
      {"-g", "1-5-2005", "-l", "12/5/2005"},
      {"-l", ""},
      {"-g", std::string(100000, '1') + "-1-1"},
      {"-G", std::string(100000, '9'), "-L-" + std::string(100000, '9')},
      {"--older=" + std::string(100000, '/')},
      {"-C", std::string(100000, 'c')},
      {"-d", "\xFF\xFE"},
      {"--delimeter=\xC3\x28"},
      {"-t", "\xE2\x82"},
      {"--" + std::string(100000, '\xFF')},
  };
  for (const auto& args : lines) {
    RunResult r = run_mailsift(args, opts());
    EXPECT_EQ(r.status, 0) << args[0] << " " << r.err.substr(0, 200);
    EXPECT_LT(r.status, 128);  // no signal
  }
  RunResult long_path = run_mailsift({"-1", std::string(100000, 'p')}, opts());
  EXPECT_EQ(long_path.status, 6);
  EXPECT_EQ(long_path.err, kReason);
  RunResult bad_letter = run_mailsift({"-\xFF"}, opts());
  EXPECT_EQ(bad_letter.status, 6);
  EXPECT_EQ(bad_letter.err, "\nIllegal option \xFF\n" + kReason);
}

// Needs the accounting log module.
TEST_F(OptionsE2E, EnvironmentLogIsReplacedByOptions) {
  make_dirs(dir_ + "/d");
  write_file(dir_ + "/d/a.eml", "From: x\n");
  RunOptions o = opts();
  o.env.push_back("ACCT=" + dir_ + "/env.log");
  RunResult r = run_mailsift({"d", "-1", "opt.log", "-r"}, o);
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string env_log = read_file(dir_ + "/env.log");
  EXPECT_NE(env_log.find("This file closed.\nAccounting file overridden by option -1 file "
                         "pointing to " +
                         dir_ + "/opt.log\n"),
            std::string::npos)
      << env_log;
  EXPECT_NE(read_file(dir_ + "/opt.log").find(" d -1 opt.log -r \n"), std::string::npos);

  RunOptions on = opts();
  on.env.push_back("ACCT=On");
  RunResult named = run_mailsift({"d", "--logfile=long.log", "--recurse=off"}, on);
  EXPECT_EQ(named.status, 0) << named.err;
  EXPECT_NE(read_file(dir_ + "/ACCT-ING").find("Previous log closed, and long.log opened\n"),
            std::string::npos);
  // The log echoes the upper-cased ON/OFF value.
  EXPECT_NE(read_file(dir_ + "/long.log").find(" --recurse=OFF \n"), std::string::npos);
}

}  // namespace
}  // namespace mailsift::test
