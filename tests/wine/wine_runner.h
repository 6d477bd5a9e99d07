// Runs mailsift.exe under Wine, and the Linux build for comparison, through
// the end-to-end process runner.
#pragma once

#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace mailsift::test {

// The Windows form of a path on this machine: "Z:" and backslashes.
std::string windows_path(const std::string& unix_path);
// The clean environment with a UTF-8 locale, the Wine prefix and Wine's
// messages off.
std::vector<std::string> wine_env(const std::string& home);
// Runs `exe` (mailsift.exe unless given) under Wine.
RunResult run_windows(const std::vector<std::string>& args, const RunOptions& options,
                      const std::string& exe = MAILSIFT_WINDOWS_EXE);
RunResult run_linux(const std::vector<std::string>& args, const RunOptions& options);
// Runs a program of Wine's own (reg, cmd) in the test prefix.
RunResult run_wine_tool(const std::vector<std::string>& args);

// True when every line feed is preceded by a carriage return.
bool all_crlf(const std::string& text);
// CR LF as LF.
std::string lf_lines(const std::string& text);
// Report rows in the Linux form: LF line ends, and the file-name column
// (up to the first `delimiter`) of rows that begin with "Z:" written with
// "/" instead of "Z:" and backslashes.
std::string linux_form(const std::string& rows, char delimiter = '|');

}  // namespace mailsift::test
