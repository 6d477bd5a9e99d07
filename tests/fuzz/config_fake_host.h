// A configuration host that never touches the disk: the accounting log is
// only pretended, masks stay as written and no pause waits. The fuzz targets
// of the configuration sources use it so that no input can create a file.
#pragma once

#include <cstdint>
#include <string>

#include "config/config_host.h"
#include "config/run_lists.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "util/console.h"

namespace mailsift::fuzz {

class PaperHost : public ConfigHost {
 public:
  LogOpening open_accounting_log(const std::string&) override {
    log_open_ = true;
    return {true, {}};
  }
  bool accounting_log_is_open() const override { return log_open_; }
  void replace_accounting_log(LogReplacedBy, const std::string&) override { log_open_ = false; }
  void close_accounting_log() override { log_open_ = false; }
  void expand_output_mask(std::string&) override {}
  bool pause_after_warning(const OutStream&, int) override { return false; }
  bool wait_for_key() override { return false; }

 private:
  bool log_open_ = false;
};

// 2013-08-21 11:04:06 UTC: day counts do not depend on the day of the run.
class FixedClock : public platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

// What one configuration run writes into: the program's default settings,
// empty lists, no list file, a console that writes to strings, the paper
// host and the fixed clock.
struct ConfigScene {
  ConfigScene() {
    apply_program_defaults(settings);
    console.attach_test_streams(&out, &err);
  }
  Settings settings;
  RunLists lists;
  int file_list = -1;
  std::string out, err;
  Console console;
  PaperHost host;
  FixedClock clock;
};

}  // namespace mailsift::fuzz
