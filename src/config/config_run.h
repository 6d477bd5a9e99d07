// What the configuration sources write to while they read: the settings, the
// run's lists, the list file of "--source=", the host's services, the console
// and the clock, and the stop that ends reading early (config/ only).
#pragma once

#include "config/config_host.h"
#include "config/config_stop.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "util/console.h"

namespace mailsift {

struct ConfigRun {
  Settings& settings;
  RunLists& lists;
  int& file_list;
  ConfigHost& host;
  Console& console;
  const platform::Clock& clock;
  ConfigStop stop{};

  // Pauses after a warning written to `warned_on`; an interrupt meanwhile
  // ends the run like any other failure. False when it did.
  bool pause(const OutStream& warned_on, int seconds) {
    if (!host.pause_after_warning(warned_on, seconds)) return true;
    stop = ConfigStop::with_summary(kUserAborted);
    return false;
  }
  // Opens the accounting log; a failure to prepare it ends the run.
  bool open_log(const std::string& path) {
    LogOpening opening = host.open_accounting_log(path);
    if (opening.stop) stop = opening.stop;
    return opening.opened;
  }
  void fail() { stop = ConfigStop::with_summary(kIllegalOption); }
};

}  // namespace mailsift
