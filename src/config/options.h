// The command line: environment step, INI file, leading path arguments, then
// the option letters left to right.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

struct RunContext;
struct Settings;

// Fills the settings from ctx.args (the same vector the log echoes; ON/OFF
// values of long options are upper-cased in place). Ends the run with code 6
// on an option error.
void parse_options(RunContext& ctx);

// ACCT opens the accounting log at once; DELIMETER sets the delimiter.
void read_environment_settings(RunContext& ctx);

// Records the letters a, c and w (either case) found anywhere in a date value.
void note_date_letters(Settings& settings, std::string_view value);

// Keeps the byte of each character (paths and values are already bytes here).
std::string narrow_copy(std::string_view value);

}  // namespace mailsift
