// The option letters: an argument beginning with "-" or "+" holds one or more
// letters, some of them followed by a value.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "config/draft.h"

namespace mailsift {

// Arguments that begin with an option character ("-", "+", and "/" where it
// does not start a path) hold options.
bool is_option_argument(const std::string& argument);

// Reads the letters of args[index] from position `first` on; returns the
// argument where reading goes on. An error ends the run (d.ended).
std::size_t read_option_argument(Draft& d, std::vector<std::string>& args, std::size_t index,
                                 std::size_t first);

}  // namespace mailsift
