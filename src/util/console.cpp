#include "util/console.h"

#include "platform/platform.h"

namespace mailsift {

OutStream& Console::messages() {
  if (!stdout_is_terminal) return err;
  if (report_on_stdout != nullptr) report_on_stdout->flush();
  return out;
}

bool Console::shows_on_terminal(const OutStream& stream) const {
  if (&stream == &err) return stderr_is_terminal;
  if (&stream == &out) return stdout_is_terminal;
  return false;
}

void Console::attach_process_streams() {
  stdout_is_terminal = platform::is_terminal(platform::kStdout);
  stderr_is_terminal = platform::is_terminal(platform::kStderr);
  stdin_is_terminal = platform::is_terminal(platform::kStdin);
  utf8 = platform::console_is_utf8();
  out.attach_handle(platform::kStdout, 0, false);
  // Progress lines to a file or a pipe go out in large writes; a person at a
  // terminal sees each line at once.
  err.attach_handle(platform::kStderr, stderr_is_terminal ? 0 : kErrorBufferSize, false);
  err.hold_at_most(kErrorHoldSeconds);
  out.flush_first(&err);
}

void Console::attach_test_streams(std::string* out_text, std::string* err_text) {
  stdout_is_terminal = false;
  stderr_is_terminal = false;
  stdin_is_terminal = false;
  utf8 = false;
  out.attach_string(out_text);
  err.attach_string(err_text);
}

}  // namespace mailsift
