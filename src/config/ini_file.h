// Standing settings from the program's own INI file or the [MAILSIFT] section
// of the shared "TALLWICK.INI".
#pragma once

#include <string>
#include <vector>

#include "config/config_run.h"

namespace mailsift {

// Reads the INI file unless any argument is exactly "-.ini"; args[0] is the
// executable. A warning interrupted in its pause sets run.stop.
void read_ini_file(ConfigRun& run, const std::vector<std::string>& args);

}  // namespace mailsift
