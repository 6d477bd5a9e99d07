// The run's services for configuration under a fuzzer: nothing is opened,
// created or waited for, so no input can touch the disk or block.
#pragma once

#include <string>

#include "config/config_host.h"
#include "platform/platform.h"

namespace mailsift::fuzz {

class NullHost final : public ConfigHost {
 public:
  LogOpening open_accounting_log(const std::string&) override { return {}; }
  bool accounting_log_is_open() const override { return false; }
  void replace_accounting_log(LogReplacedBy, const std::string&) override {}
  void close_accounting_log() override {}
  void expand_output_mask(std::string&) override {}
  bool pause_after_warning(const OutStream&, int) override { return false; }
  bool wait_for_key() override { return false; }
};

// 2013-08-21 11:04:06 UTC, so that day counts do not depend on the day the
// fuzzer runs.
class FixedClock : public platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

}  // namespace mailsift::fuzz
