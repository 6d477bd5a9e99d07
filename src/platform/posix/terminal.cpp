// The terminal: tests, the abort key, raw key reads and sleeping.
#include <poll.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "platform/platform.h"

namespace mailsift::platform {

namespace {
struct SavedTerminal {
  termios settings;
  std::atomic<bool> active{false};
};
SavedTerminal saved_terminal;
}  // namespace

bool is_terminal(int handle) {
  return ::isatty(handle) == 1;
}

bool in_foreground() {
  if (!is_terminal(kStdin)) return false;
  pid_t group = ::tcgetpgrp(kStdin);
  return group >= 0 && group == ::getpgrp();
}

bool abort_key_pressed() {
  // Polled before every directory entry: standard input's kind is asked once,
  // and the terminal at most every 50 ms, so that a large walk does not spend
  // three system calls per file on a key nobody pressed.
  static const bool stdin_terminal = is_terminal(kStdin);
  if (!stdin_terminal) return false;
  static double next_poll = 0.0;
  const double now = process_seconds();
  if (now < next_poll) return false;
  next_poll = now + 0.05;
  if (!in_foreground()) return false;
  pollfd p{kStdin, POLLIN, 0};
  if (::poll(&p, 1, 0) <= 0 || (p.revents & POLLIN) == 0) return false;
  unsigned char buffer[64];
  ssize_t n = ::read(kStdin, buffer, sizeof buffer);
  if (n <= 0) return false;
  for (ssize_t i = 0; i < n; ++i) {
    if (buffer[i] == 3) return true;
    if (buffer[i] == 27) {
      // Arrow and function keys arrive as Esc "[" or Esc "O": not an abort.
      if (i + 1 < n && (buffer[i + 1] == '[' || buffer[i + 1] == 'O')) {
        ++i;
        continue;
      }
      return true;
    }
  }
  return false;
}

int read_raw_key() {
  unsigned char c = 0;
  if (!is_terminal(kStdin)) {
    ssize_t n;
    do {
      n = ::read(kStdin, &c, 1);
    } while (n < 0 && errno == EINTR && !interrupted());
    return n == 1 ? c : -1;
  }
  termios raw;
  if (::tcgetattr(kStdin, &saved_terminal.settings) != 0) return -1;
  raw = saved_terminal.settings;
  raw.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO | ISIG | IEXTEN);
  raw.c_iflag &= ~static_cast<tcflag_t>(IXON | ICRNL);
  raw.c_cc[VMIN] = 1;
  raw.c_cc[VTIME] = 0;
  saved_terminal.active = true;
  ::tcsetattr(kStdin, TCSAFLUSH, &raw);
  ssize_t n;
  do {
    n = ::read(kStdin, &c, 1);
  } while (n < 0 && errno == EINTR && !interrupted());
  restore_terminal();
  return n == 1 ? c : -1;
}

void restore_terminal() {
  if (saved_terminal.active.exchange(false)) {
    ::tcsetattr(kStdin, TCSAFLUSH, &saved_terminal.settings);
  }
}

void sleep_seconds(int seconds) {
  timespec ts{seconds, 0};
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR && !interrupted()) {
  }
}

void flush_terminal_input() {
  if (is_terminal(kStdin)) ::tcflush(kStdin, TCIFLUSH);
}

}  // namespace mailsift::platform
