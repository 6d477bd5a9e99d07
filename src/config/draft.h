// What configuration builds while it reads (config/ only): the options, the
// actions not yet handed out, and what only configuration itself reads.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "config/configure.h"

namespace mailsift {

struct Draft {
  explicit Draft(ConfigInput& input) : clock(*input.clock), computer_name(input.computer_name) {
    result.args = std::move(input.args);
  }
  Draft(const Draft&) = delete;
  Draft& operator=(const Draft&) = delete;

  Configuration result;
  WalkOptions& walk = result.walk;
  RunLists& lists = result.lists;
  ScanOptions& scan = result.scan;
  ReportOptions& report = result.report;
  RunOptions& run = result.run;
  std::vector<std::string>& args = result.args;
  const platform::Clock& clock;
  ComputerNameSource computer_name;

  // A setting named a log to open once everything is read.
  bool log_wanted = false;
  std::string log_path;
  // Failing an open log, one named after the report (INI SPLIT).
  bool split_log = false;
  // The environment's log was asked for and not closed since; whether it
  // opened only the run knows.
  bool log_maybe_open = false;

  std::vector<ConfigAction> pending;
  // An EndRun is pending: nothing more is read.
  bool ended = false;

  EndState ending() const { return {report.target, run.quiet}; }
  template <class Action>
  void add(Action action) {
    ConfigAction& added = pending.emplace_back();
    added.what.emplace<Action>(std::move(action));
    added.ending = ending();
  }
  void show(Channel channel, std::string text, int pause_seconds = 0) {
    add(ShowText{channel, std::move(text), pause_seconds});
  }
  void end_run(int code, bool summary) {
    add(EndRun{code, summary});
    ended = true;
  }
  // An option error: the run ends with code 6 and its summary.
  void fail() { end_run(kIllegalOption, true); }
  void add_quiet() {
    if (run.quiet < std::numeric_limits<std::int32_t>::max()) ++run.quiet;
  }
};

}  // namespace mailsift
