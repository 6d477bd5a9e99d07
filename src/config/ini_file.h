// Standing settings from the program's own INI file or the [MAILSIFT] section
// of the shared "TALLWICK.INI".
#pragma once

namespace mailsift {

struct RunContext;

// Reads the INI file unless any argument is exactly "-.ini".
void read_ini_file(RunContext& ctx);

}  // namespace mailsift
