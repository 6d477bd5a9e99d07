// How configuration stops: with a fake host, every way it ends the run comes
// back as a stop status, with nothing read after the message that caused it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "config/configure.h"
#include "unit/scratch_dir.h"

namespace mailsift {
namespace {

namespace ts = testing_support;

class FakeHost : public ConfigHost {
 public:
  bool interrupt = false;  // an interrupt arrives in every pause and at the key prompt
  LogOpening opening{true, {}};
  int pauses = 0;
  bool log_open = false;

  LogOpening open_accounting_log(const std::string&) override {
    log_open = opening.opened;
    return opening;
  }
  bool accounting_log_is_open() const override { return log_open; }
  void replace_accounting_log(LogReplacedBy, const std::string&) override { log_open = false; }
  void close_accounting_log() override { log_open = false; }
  void expand_output_mask(std::string&) override {}
  bool pause_after_warning(const OutStream&, int) override {
    ++pauses;
    return interrupt;
  }
  bool wait_for_key() override { return interrupt; }
};

struct Case {
  const char* name;
  std::vector<std::string> args;
  const char* ini;  // the own INI file's text, or null
  bool interrupt;
  LogOpening opening;
  ConfigStop expected;
  const char* message;  // how the messages begin
};

const ConfigStop kNone{};
const ConfigStop kOptionError = ConfigStop::with_summary(kIllegalOption);
const ConfigStop kAborted = ConfigStop::with_summary(kUserAborted);

TEST(ConfigStops, EachWayOfEndingTheRun) {
  const Case cases[] = {
      {"unknown letter",
       {"-k", "-r"},
       nullptr,
       false,
       {true, {}},
       kOptionError,
       "\nIllegal option k\n"},
      {"interrupt after an unknown letter",
       {"-k", "-r"},
       nullptr,
       true,
       {true, {}},
       kAborted,
       "\nIllegal option k\n"},
      {"interrupt after an unknown keyword",
       {"--nothing", "-r"},
       nullptr,
       true,
       {true, {}},
       kAborted,
       "\nIllegal or incomplete minusminus option"},
      {"interrupt after an INI warning",
       {"-r"},
       "GREATER\nAPPEND\n",
       true,
       {true, {}},
       kAborted,
       "\nMissing ini file modifier at: GREATER"},
      {"usage request", {"-?", "-r"}, nullptr, false, {true, {}}, kOptionError.after_usage(), ""},
      {"exclusion list without patterns",
       {"-x", "-r"},
       nullptr,
       false,
       {true, {}},
       ConfigStop::plain(kIllegalOption).after_usage(),
       ""},
      {"attribution",
       {"-@", "-r"},
       nullptr,
       false,
       {true, {}},
       ConfigStop::plain(kIllegalOption),
       ""},
      {"missing list file",
       {"--source=/nonexistent/list", "-r"},
       nullptr,
       false,
       {true, {}},
       ConfigStop::plain(kInputFile),
       "\nCannot find/open /nonexistent/list"},
      {"log not opened",
       {"-1", "/logs/a.log"},
       nullptr,
       false,
       {false, {}},
       kNone,
       "\nAccounting file not opened\n"},
      {"log not prepared",
       {"-1", "/logs/a.log"},
       nullptr,
       false,
       {false, ConfigStop::plain(kLogFileExit)},
       ConfigStop::plain(kLogFileExit),
       ""},
  };
  ts::ScratchDir dir;
  ts::WorkingDir cwd(dir.path());
  ::unsetenv("ACCT");
  ::unsetenv("DELIMETER");
  for (const Case& c : cases) {
    std::filesystem::remove(dir / "mailsift.ini");
    if (c.ini != nullptr) ts::write_bytes(dir / "mailsift.ini", c.ini);
    Settings settings;
    apply_program_defaults(settings);
    RunLists lists;
    std::vector<std::string> args{dir / "mailsift"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    int file_list = -1;
    std::string out, err;
    Console console;
    console.attach_test_streams(&out, &err);
    FakeHost host;
    host.interrupt = c.interrupt;
    host.opening = c.opening;
    ts::FixedClock clock(1134216000);

    const ConfigStop stop = configure({settings, lists, args, file_list}, host, console, clock);
    EXPECT_EQ(stop.stops, c.expected.stops) << c.name;
    EXPECT_EQ(stop.code, c.expected.code) << c.name;
    EXPECT_EQ(stop.summary, c.expected.summary) << c.name;
    EXPECT_EQ(stop.usage_first, c.expected.usage_first) << c.name;
    EXPECT_EQ(err.rfind(c.message, 0), 0u) << c.name << ": " << err;
    EXPECT_EQ(file_list, -1) << c.name;
    // Nothing after the stop is read: "-r" and the INI's APPEND never count.
    if (stop) {
      EXPECT_EQ(settings.recurse, 1) << c.name;
    }
    EXPECT_EQ(settings.append_output, 0) << c.name;
    EXPECT_LE(host.pauses, 1) << c.name;
  }
}

TEST(ConfigStops, ListFileClosedWhenConfigurationStops) {
  ts::ScratchDir dir;
  ts::write_bytes(dir / "list.txt", "x\n");
  Settings settings;
  RunLists lists;
  std::vector<std::string> args{"/usr/bin/mailsift", "-.ini", "--source=" + (dir / "list.txt"),
                                "-k"};
  int file_list = -1;
  std::string out, err;
  Console console;
  console.attach_test_streams(&out, &err);
  FakeHost host;
  ts::FixedClock clock(1134216000);
  EXPECT_TRUE(configure({settings, lists, args, file_list}, host, console, clock));
  EXPECT_EQ(settings.file_list_on, 1);
  EXPECT_EQ(file_list, -1);
}

}  // namespace
}  // namespace mailsift
