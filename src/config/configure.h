// Configuration: the environment, the INI file and the command line, read in
// that order (later sources win) into the run's settings and lists.
#pragma once

#include <string>
#include <vector>

#include "config/config_host.h"
#include "config/config_stop.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "util/console.h"

namespace mailsift {

// What configuration fills in. The settings come in with the run's defaults.
struct ConfigTarget {
  Settings& settings;
  RunLists& lists;
  // In: the command line, args[0] the executable's full path. Out: as the
  // accounting log echoes it (ON/OFF values of long options upper-cased).
  std::vector<std::string>& args;
  int& file_list;  // out: the open list file of "--source=", else -1
};

// Reads ACCT and DELIMETER, the INI file, the leading path arguments and the
// options left to right; then completes the lists (the pattern "*.*" when no
// pattern was given, the current directory when no root was) and opens the
// accounting log an option named. Returns a stop when the run must end
// instead, with the list file closed; messages are written by then.
ConfigStop configure(const ConfigTarget& target, ConfigHost& host, Console& console,
                     const platform::Clock& clock);

}  // namespace mailsift
