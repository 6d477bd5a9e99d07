// "--keyword[=value]" options.
#pragma once

#include <string>

#include "config/config_run.h"

namespace mailsift {

// `text` is the argument after "--"; an ON/OFF value is upper-cased in place.
// True when accepted (or ignored with a warning), false when refused. A run
// that must end sets run.stop.
bool parse_long_option(ConfigRun& run, std::string& text);

}  // namespace mailsift
