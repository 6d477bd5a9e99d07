// "--keyword[=value]" options.
#pragma once

#include <string>

namespace mailsift {

struct RunContext;

// `text` is the argument after "--"; an ON/OFF value is upper-cased in place.
// Returns 0 when accepted (or ignored with a warning), 1 when refused.
int parse_long_option(RunContext& ctx, std::string& text);

}  // namespace mailsift
