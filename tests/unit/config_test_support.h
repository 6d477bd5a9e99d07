// Configuration under test: a command line read as a run reads it, its
// actions carried out into captured streams, with a fixed clock. The options
// are kept also when configuration ends the run, as they stood then.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "app/environment.h"
#include "app/run_config.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "config/configure.h"
#include "config/ini_file.h"
#include "platform/platform.h"
#include "unit/scratch_dir.h"

namespace mailsift::test {

using testing_support::FixedClock;
using testing_support::local_seconds;

// Sets TZ for the test's lifetime and restores the previous zone after it.
class ScopedTimeZone {
 public:
  explicit ScopedTimeZone(const char* zone) {
    const char* old = std::getenv("TZ");
    had_ = old != nullptr;
    if (had_) old_ = old;
    setenv("TZ", zone, 1);
    tzset();
  }
  ~ScopedTimeZone() {
    if (had_) {
      setenv("TZ", old_.c_str(), 1);
    } else {
      unsetenv("TZ");
    }
    tzset();
  }

 private:
  bool had_ = false;
  std::string old_;
};

inline std::uint64_t file_time_of(std::int64_t seconds) {
  return static_cast<std::uint64_t>(seconds + platform::kFileTimeEpochOffset) * 10000000ULL;
}

// One parsed command line. The environment variables configuration reads
// are cleared so that the machine's own settings cannot leak in.
struct ParsedRun {
  RunContext ctx;
  FixedClock clock;
  std::string out, err, report;
  Configuration c;
  int exit_code = -1;  // -1: configuration finished

  explicit ParsedRun(std::int64_t now = 1134216000 /* 2005-12-10 12:00 UTC */) : clock(now) {
    ctx.attach_test_streams(&out, &err, &report);
    ctx.clock = &clock;
  }

  // Configures "mailsift" followed by `args`; returns the exit code, -1 when
  // configuration finished.
  int parse(const std::vector<std::string>& args,
            const std::vector<std::pair<const char*, const char*>>& env = {}) {
    for (const char* name : {"ACCT", "DELIMETER", "SILENT"}) unsetenv(name);
    for (const auto& [name, value] : env) setenv(name, value, 1);
    ctx.args.assign(1, "/usr/bin/mailsift");
    ctx.args.insert(ctx.args.end(), args.begin(), args.end());
    const IniFile ini(ctx.args);
    ConfigReader reader(
        {read_config_environment(), ini.text(), ctx.args, &clock, ctx.computer_name_source});
    try {
      while (const ConfigAction* action = reader.next_action()) carry_out(ctx, *action);
    } catch (const RunExit& e) {
      exit_code = e.code;
    }
    c = std::move(reader.result());
    for (const char* name : {"ACCT", "DELIMETER", "SILENT"}) unsetenv(name);
    return exit_code;
  }
};

// Configures "mailsift" followed by `args` as a pure function: the INI
// text given (none when null), the environment given, the fixed clock of
// ParsedRun, no computer name; every action kept.
inline Configuration configure_with(const std::vector<std::string>& args, const char* ini = nullptr,
                                    ConfigEnvironment env = {}, bool shared = false) {
  static const FixedClock clock(1134216000);
  StringSource source(ini != nullptr ? ini : "");
  IniText text;
  if (ini != nullptr) text.source = &source;
  text.shared = shared;
  std::vector<std::string> all{"/usr/bin/mailsift"};
  all.insert(all.end(), args.begin(), args.end());
  return configure(
      {std::move(env), text, std::move(all), &clock, [](std::string&) { return false; }});
}

inline const char* kOptionReason =
    "\nAbnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION\n\n";

// The actions, a line each: what a test expects configuration to ask.
inline std::string describe(const std::vector<ConfigAction>& actions) {
  static const char* const kChannels[] = {"messages", "error", "output"};
  std::string text;
  for (const ConfigAction& a : actions) {
    if (const auto* show = std::get_if<ShowText>(&a.what)) {
      text += std::string("show ") + kChannels[static_cast<int>(show->channel)];
      if (show->pause_seconds > 0) text += " pause " + std::to_string(show->pause_seconds);
      text += ": " + show->text;
    } else if (std::holds_alternative<WaitForKey>(a.what)) {
      text += "wait for key";
    } else if (const auto* open = std::get_if<OpenLog>(&a.what)) {
      text += "open log " + open->path;
    } else if (const auto* replace = std::get_if<ReplaceLog>(&a.what)) {
      text += "replace log by " + std::to_string(static_cast<int>(replace->by)) + " naming " +
              replace->named;
    } else if (std::holds_alternative<CloseLog>(a.what)) {
      text += "close log";
    } else if (const auto* request = std::get_if<OpenRequestedLog>(&a.what)) {
      text += "open requested log " + request->request.path.value_or("-") + " or " +
              request->request.split_path.value_or("-");
    } else if (const auto* list = std::get_if<OpenFileList>(&a.what)) {
      text += "open file list " + list->path;
    } else if (std::holds_alternative<ShowUsage>(a.what)) {
      text += "usage";
    } else if (const auto* end = std::get_if<EndRun>(&a.what)) {
      text += "end " + std::to_string(end->code) + (end->summary ? " with summary" : " at once");
    }
    text += "\n";
  }
  return text;
}

}  // namespace mailsift::test
