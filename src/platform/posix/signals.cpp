// Signals only set the interrupt flag; the run checks it at its checkpoints.
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <csignal>

#include "platform/platform.h"

namespace mailsift::platform {

namespace {
// The one process-wide flag: written by the handler and the abort key, read
// by the run and its scanning threads. A lock-free atomic is safe in a
// signal handler.
std::atomic<int> interrupt_flag{0};
static_assert(std::atomic<int>::is_always_lock_free);

extern "C" void on_signal(int signal_number) {
  interrupt_flag.store(1, std::memory_order_relaxed);
  if (signal_number == SIGINT) {
    // A second Ctrl-C kills a stuck run.
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    ::sigaction(SIGINT, &action, nullptr);
  }
}
}  // namespace

void install_signal_handlers() {
  struct sigaction action {};
  action.sa_handler = on_signal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = 0;  // no SA_RESTART: blocking reads return to the checkpoints
  ::sigaction(SIGINT, &action, nullptr);
  ::sigaction(SIGTERM, &action, nullptr);
  ::sigaction(SIGHUP, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  ::sigaction(SIGPIPE, &ignore, nullptr);
}

bool interrupted() {
  return interrupt_flag.load(std::memory_order_relaxed) != 0;
}

void set_interrupted(bool value) {
  interrupt_flag.store(value ? 1 : 0, std::memory_order_relaxed);
}

}  // namespace mailsift::platform
