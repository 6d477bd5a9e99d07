// Facts taken from the surroundings at start-up: the start time, the
// time-zone rules, whether the file system updates last-access dates
// (reported at the end of the accounting log), and the environment variables
// configuration reads.
#pragma once

#include <string_view>

#include "config/configure.h"

namespace mailsift {

struct RunContext;
class OutStream;

void setup_environment(RunContext& ctx);

// ACCT, DELIMETER and SILENT (holding "ON" in any case), read once.
ConfigEnvironment read_config_environment();

// True when the variable is set and its value, upper-cased, contains the
// upper-cased word.
bool env_contains(std::string_view word, const char* variable);

int read_last_access_setting();

// "    Last Access Date UPDATE is " and the text for the setting; an unknown
// value writes its error to `messages` instead.
void write_last_access_report(OutStream& log, OutStream& messages, int setting);

}  // namespace mailsift
