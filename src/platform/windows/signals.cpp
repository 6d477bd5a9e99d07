// Ctrl-C, Ctrl-Break and the console's close, log-off and shut-down events
// only set the interrupt flag; the run checks it at its checkpoints.
#include <atomic>

#include "platform/windows/windows_util.h"

namespace mailsift::platform {

namespace {

// The one process-wide flag: set on the handler's thread, read by the run.
std::atomic<bool> interrupt_flag{false};

BOOL WINAPI on_console_event(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
      // A second one gets the default action, so a stuck run can be ended.
      if (interrupt_flag.exchange(true)) return FALSE;
      return TRUE;
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      // The process ends when the handler returns: give the run a moment to
      // write its summary and the log's closing lines.
      interrupt_flag = true;
      ::Sleep(4000);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void install_signal_handlers() {
  ::SetConsoleCtrlHandler(on_console_event, TRUE);
}

bool interrupted() {
  return interrupt_flag.load(std::memory_order_relaxed);
}

void set_interrupted(bool value) {
  interrupt_flag = value;
}

}  // namespace mailsift::platform
