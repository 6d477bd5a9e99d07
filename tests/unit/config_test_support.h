// A run context for option tests: captured streams, a fixed clock, and the
// defaults the run sets before it reads the command line.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "app/run_config.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "config/settings.h"
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

// One parsed command line. The environment variables the parser reads are
// cleared so that the machine's own settings cannot leak in.
struct ParsedRun {
  RunContext ctx;
  FixedClock clock;
  std::string out, err, report;
  int exit_code = -1;  // -1: parsing returned normally

  explicit ParsedRun(std::int64_t now = 1134216000 /* 2005-12-10 12:00 UTC */) : clock(now) {
    ctx.attach_test_streams(&out, &err, &report);
    ctx.clock = &clock;
    ctx.settings.time_letter = 'w';
    apply_program_defaults(ctx.settings);
  }

  // Configures "mailsift" followed by `args`; returns the exit code, -1 when
  // configuration finished.
  int parse(const std::vector<std::string>& args,
            const std::vector<std::pair<const char*, const char*>>& env = {}) {
    unsetenv("ACCT");
    unsetenv("DELIMETER");
    for (const auto& [name, value] : env) setenv(name, value, 1);
    ctx.args.assign(1, "/usr/bin/mailsift");
    ctx.args.insert(ctx.args.end(), args.begin(), args.end());
    try {
      configure_run(ctx);
    } catch (const RunExit& e) {
      exit_code = e.code;
    }
    unsetenv("ACCT");
    unsetenv("DELIMETER");
    return exit_code;
  }

  const Settings& s() const { return ctx.settings; }
};

inline const char* kOptionReason =
    "\nAbnormal termination. Reason: ILLEGAL or INCOMPLETE OPTION\n\n";

}  // namespace mailsift::test
