// The masks of an output file's name: the date, the time and the computer
// name the "-o" and "-O" options expand when the name is read.
#pragma once

#include <string>

#include "platform/platform.h"

namespace mailsift {

// Where the machine's name comes from (tests fix it).
using ComputerNameSource = bool (*)(std::string& out);

// The output name holds a date, time or computer-name mask.
bool has_output_mask(const std::string& path);
// Rewrites the absolute output name in place, replacing its date, time and
// computer-name mask.
void expand_output_mask(const platform::Clock& clock, ComputerNameSource computer_name,
                        std::string& path);

}  // namespace mailsift
