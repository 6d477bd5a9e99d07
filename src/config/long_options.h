// "--keyword[=value]" options.
#pragma once

#include <string>

#include "config/draft.h"

namespace mailsift {

// `text` is the argument after "--"; an ON/OFF value is upper-cased in place.
// True when accepted (or ignored with a warning), false when refused. A run
// that must end is ended (d.ended).
bool parse_long_option(Draft& d, std::string& text);

}  // namespace mailsift
