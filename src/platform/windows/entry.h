// The Windows entry: the wide command line as UTF-8 arguments.
#pragma once

namespace mailsift::platform::windows {

// Converts the arguments and runs `run` with them; its result is the exit
// status.
int run_with_wide_arguments(int argc, wchar_t** argv, int (*run)(int, char**));

}  // namespace mailsift::platform::windows
