// What configuration reads under a fuzzer besides its input: no
// environment, a fixed clock and no computer name, so that a run depends on
// its input alone. Configuration itself opens, creates and waits for
// nothing; its actions are only checked.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "config/configure.h"
#include "fuzz/fuzz_input.h"
#include "platform/platform.h"

namespace mailsift::fuzz {

// 2013-08-21 11:04:06 UTC: day counts do not depend on the day of the run.
class FixedClock : public platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

// Configures "/fuzz/mailsift" with `args` after it and the INI text, and
// checks what holds for every input: only the last action may end the run,
// a run that goes on has a pattern and a root, and the job count is in range.
inline void configure_and_check(std::vector<std::string> args, IniText ini) {
  static const FixedClock clock;
  args.insert(args.begin(), "/fuzz/mailsift");
  const Configuration c =
      configure({{}, ini, std::move(args), &clock, [](std::string&) { return false; }});
  bool ended = false;
  for (const ConfigAction& action : c.actions) {
    FUZZ_CHECK(!ended);
    ended = std::holds_alternative<EndRun>(action.what);
  }
  if (!ended) FUZZ_CHECK(!c.lists.name_patterns.empty() && !c.lists.roots.empty());
  FUZZ_CHECK(c.run.jobs >= 0 && c.run.jobs <= kMaxJobCount);
}

}  // namespace mailsift::fuzz
