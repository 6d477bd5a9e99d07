// Test-only fault injection, loaded into mailsift with LD_PRELOAD. It wraps
// the C library's open, read, write and close and makes chosen files fail the
// way a failing disk or a full one does, so that the product's own code
// paths meet real error returns. Files are chosen by the last component of
// the name they are opened under (standard output and error by the name of
// what they are connected to). Environment:
//
//   MAILSIFT_FAULT_READ_EIO=name:n       reads deliver n bytes in all, then
//                                        fail with EIO
//   MAILSIFT_FAULT_OPEN_EACCES=name      opening the file fails with EACCES
//                                        (directories open as usual)
//   MAILSIFT_FAULT_OPENDIR_EACCES=name   opening the directory fails with
//                                        EACCES (a trailing "/" aside)
//   MAILSIFT_FAULT_WRITE_ENOSPC=name:n   writes take n bytes in all (the one
//                                        that crosses n is cut short), then
//                                        fail with ENOSPC
//   MAILSIFT_FAULT_READ_STALL=name:n     reads deliver n bytes in all, then
//                                        the next one waits, as a read from a
//                                        slow device does, until a signal
//                                        the program handles arrives (it then
//                                        fails with EINTR) or 10 seconds
//                                        pass (then reads go on as usual)
//
// To see a signal whichever thread takes it, the stall wraps the handlers
// the program installs with sigaction.
#include <dlfcn.h>
#include <fcntl.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

enum Fault : int { kNone, kReadEio, kWriteEnospc, kReadStall };

struct Rule {
  char name[256] = {};
  long bytes = 0;
  bool set = false;
};

struct Slot {
  std::atomic<int> fault{kNone};
  std::atomic<long> budget{0};
};

constexpr int kSlots = 65536;
Slot g_slots[kSlots];
Rule g_read_eio, g_open_eacces, g_opendir_eacces, g_write_enospc, g_read_stall;

// The program's own signal handlers, called by the wrapper that notes the
// signal for a stalled read.
constexpr int kSignals = 65;
std::atomic<void (*)(int)> g_handlers[kSignals];
std::atomic<bool> g_signalled{false};
constexpr long kStallMilliseconds = 10000;

using OpenFn = int (*)(const char*, int, ...);
using OpenAtFn = int (*)(int, const char*, int, ...);
using ReadFn = ssize_t (*)(int, void*, size_t);
using WriteFn = ssize_t (*)(int, const void*, size_t);
using CloseFn = int (*)(int);
using SigactionFn = int (*)(int, const struct sigaction*, struct sigaction*);

template <typename Fn>
Fn next(const char* symbol) {
  return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, symbol));
}

void parse_rule(const char* variable, Rule& rule) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return;
  const char* colon = std::strrchr(value, ':');
  std::size_t length =
      colon != nullptr ? static_cast<std::size_t>(colon - value) : std::strlen(value);
  if (length >= sizeof rule.name) length = sizeof rule.name - 1;
  std::memcpy(rule.name, value, length);
  rule.bytes = colon != nullptr ? std::atol(colon + 1) : 0;
  rule.set = true;
}

const char* last_component(const char* path) {
  const char* slash = std::strrchr(path, '/');
  return slash != nullptr ? slash + 1 : path;
}

bool matches(const Rule& rule, const char* path) {
  return rule.set && path != nullptr && std::strcmp(rule.name, last_component(path)) == 0;
}

void track(int fd, const char* path) {
  if (fd < 0 || fd >= kSlots) return;
  Slot& slot = g_slots[fd];
  if (matches(g_read_eio, path)) {
    slot.budget = g_read_eio.bytes;
    slot.fault = kReadEio;
  } else if (matches(g_read_stall, path)) {
    slot.budget = g_read_stall.bytes;
    slot.fault = kReadStall;
  } else if (matches(g_write_enospc, path)) {
    slot.budget = g_write_enospc.bytes;
    slot.fault = kWriteEnospc;
  } else {
    slot.fault = kNone;
  }
}

// The last component of a directory path, trailing "/" left out.
bool matches_directory(const Rule& rule, const char* path) {
  if (!rule.set || path == nullptr) return false;
  std::size_t end = std::strlen(path);
  while (end > 1 && path[end - 1] == '/') --end;
  std::size_t start = end;
  while (start > 0 && path[start - 1] != '/') --start;
  const std::size_t length = std::strlen(rule.name);
  return end - start == length && std::memcmp(path + start, rule.name, length) == 0;
}

// A refused open: of a file by one rule, of a directory by the other.
bool refuse(const char* path, int flags) {
  if ((flags & O_DIRECTORY) != 0) return matches_directory(g_opendir_eacces, path);
  return matches(g_open_eacces, path);
}

__attribute__((constructor)) void load_rules() {
  parse_rule("MAILSIFT_FAULT_READ_EIO", g_read_eio);
  parse_rule("MAILSIFT_FAULT_OPEN_EACCES", g_open_eacces);
  parse_rule("MAILSIFT_FAULT_OPENDIR_EACCES", g_opendir_eacces);
  parse_rule("MAILSIFT_FAULT_WRITE_ENOSPC", g_write_enospc);
  parse_rule("MAILSIFT_FAULT_READ_STALL", g_read_stall);
  for (int fd = 1; fd <= 2; ++fd) {
    char link[64], target[4096];
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    ssize_t n = readlink(link, target, sizeof target - 1);
    if (n <= 0) continue;
    target[n] = '\0';
    track(fd, target);
  }
}

mode_t mode_argument(int flags, va_list args) {
  return (flags & (O_CREAT | O_TMPFILE)) != 0 ? static_cast<mode_t>(va_arg(args, int)) : 0;
}

int do_open(OpenFn real, const char* path, int flags, mode_t mode) {
  if (refuse(path, flags)) {
    errno = EACCES;
    return -1;
  }
  int fd = real(path, flags, mode);
  track(fd, path);
  return fd;
}

int do_openat(OpenAtFn real, int dir, const char* path, int flags, mode_t mode) {
  if (refuse(path, flags)) {
    errno = EACCES;
    return -1;
  }
  int fd = real(dir, path, flags, mode);
  track(fd, path);
  return fd;
}

// Runs in a signal handler: only the program's handler and an atomic store.
extern "C" void note_signal(int number) {
  void (*handler)(int) = g_handlers[number].load();
  if (handler != nullptr) handler(number);
  g_signalled.store(true);
}

// Waits until a signal has been handled (true) or the time is up (false).
bool stall() {
  for (long waited = 0; waited < kStallMilliseconds; waited += 10) {
    if (g_signalled.load()) return true;
    const timespec step{0, 10 * 1000 * 1000};
    nanosleep(&step, nullptr);
  }
  return g_signalled.load();
}

// A read of a file under a limit of bytes; `spent` once they are used up.
ssize_t budgeted_read(ReadFn real, Slot& slot, int fd, void* buffer, size_t n, bool& spent) {
  const long left = slot.budget;
  spent = left <= 0;
  if (spent) return 0;
  if (n > static_cast<size_t>(left)) n = static_cast<size_t>(left);
  ssize_t got = real(fd, buffer, n);
  if (got > 0) slot.budget -= got;
  return got;
}

}  // namespace

extern "C" {

int sigaction(int number, const struct sigaction* action, struct sigaction* old) {
  static const SigactionFn real = next<SigactionFn>("sigaction");
  if (!g_read_stall.set || action == nullptr || number <= 0 || number >= kSignals ||
      (action->sa_flags & SA_SIGINFO) != 0 || action->sa_handler == SIG_DFL ||
      action->sa_handler == SIG_IGN) {
    return real(number, action, old);
  }
  g_handlers[number] = action->sa_handler;
  struct sigaction wrapped = *action;
  wrapped.sa_handler = note_signal;
  return real(number, &wrapped, old);
}

int open(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = mode_argument(flags, args);
  va_end(args);
  static const OpenFn real = next<OpenFn>("open");
  return do_open(real, path, flags, mode);
}

int open64(const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = mode_argument(flags, args);
  va_end(args);
  static const OpenFn real = next<OpenFn>("open64");
  return do_open(real, path, flags, mode);
}

int openat(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = mode_argument(flags, args);
  va_end(args);
  static const OpenAtFn real = next<OpenAtFn>("openat");
  return do_openat(real, dir, path, flags, mode);
}

int openat64(int dir, const char* path, int flags, ...) {
  va_list args;
  va_start(args, flags);
  mode_t mode = mode_argument(flags, args);
  va_end(args);
  static const OpenAtFn real = next<OpenAtFn>("openat64");
  return do_openat(real, dir, path, flags, mode);
}

ssize_t read(int fd, void* buffer, size_t n) {
  static const ReadFn real = next<ReadFn>("read");
  if (fd < 0 || fd >= kSlots || g_slots[fd].fault == kNone) return real(fd, buffer, n);
  Slot& slot = g_slots[fd];
  const int fault = slot.fault;
  if (fault != kReadEio && fault != kReadStall) return real(fd, buffer, n);
  bool spent = false;
  const ssize_t got = budgeted_read(real, slot, fd, buffer, n, spent);
  if (!spent) return got;
  if (fault == kReadEio) {
    errno = EIO;
    return -1;
  }
  slot.fault = kNone;  // one stall per open
  if (stall()) {
    errno = EINTR;
    return -1;
  }
  return real(fd, buffer, n);
}

ssize_t write(int fd, const void* data, size_t n) {
  static const WriteFn real = next<WriteFn>("write");
  if (fd < 0 || fd >= kSlots || g_slots[fd].fault != kWriteEnospc) return real(fd, data, n);
  Slot& slot = g_slots[fd];
  const long left = slot.budget;
  if (left <= 0) {
    errno = ENOSPC;
    return -1;
  }
  if (n > static_cast<size_t>(left)) n = static_cast<size_t>(left);
  ssize_t put = real(fd, data, n);
  if (put > 0) slot.budget -= put;
  return put;
}

int close(int fd) {
  static const CloseFn real = next<CloseFn>("close");
  if (fd >= 0 && fd < kSlots) g_slots[fd].fault = kNone;
  return real(fd);
}

}  // extern "C"
