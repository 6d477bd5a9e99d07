// Runs the mailsift binary with standard input and standard error on a
// pseudo-terminal (standard output on a pipe), typing one key at each pager
// prompt while the program waits for it in raw mode.
#pragma once

#include <string>
#include <vector>

namespace mailsift::test {

struct PtyResult {
  int status = -1;       // exit status, or 128 + signal
  std::string terminal;  // what the program wrote to the terminal (stderr)
  std::string out;       // standard output
  int prompts = 0;       // prompts seen
  int keys_sent = 0;
  bool restored = false;  // the terminal was back in line mode with echo at the end
};

// `keys[i]` is typed at the (i+1)-th prompt, once the terminal is in raw mode.
PtyResult run_on_pty(const std::vector<std::string>& args, const std::vector<std::string>& env,
                     const std::string& cwd, const std::vector<std::string>& keys,
                     int timeout_seconds = 30);

}  // namespace mailsift::test
