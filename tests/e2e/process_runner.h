// Runs the real mailsift binary without a shell, in a chosen directory, with a
// clean environment, and captures what it writes.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace mailsift::test {

struct RunResult {
  int status = -1;         // exit status, or 128 + signal
  std::string out;         // standard output
  std::string err;         // standard error
  bool timed_out = false;  // killed at the timeout
  bool signalled = false;  // the interrupt signal was sent
  // Peak resident set of the program in KiB, with RunOptions::measure_memory.
  long peak_rss_kib = 0;
  double seconds = 0;  // wall-clock time from start to exit
};

struct RunOptions {
  std::string cwd;               // empty: the test's own
  std::vector<std::string> env;  // "NAME=value"; nothing else is passed
  std::string stdin_text;        // written to standard input, then closed
  // Called with the stderr text seen so far; returning true sends
  // interrupt_signal once.
  std::function<bool(const std::string&)> interrupt_when;
  int interrupt_signal = 2;  // SIGINT
  // Non-zero: interrupt_signal goes out once the child has read more than
  // this many bytes (progress lines reach a pipe in large writes, a little
  // behind the scan).
  long long interrupt_after_read_bytes = 0;
  // Non-zero: interrupt_signal goes out this long after the program has
  // installed its handler for it.
  double interrupt_after_seconds = 0;
  // Measure the program's peak memory (RunResult::peak_rss_kib). It is
  // started through a small process of its own, so the figure holds nothing
  // of the test process; a signal sent to the run reaches that process.
  bool measure_memory = false;
  std::string memory_helper;  // non-empty: a copy of that small process
  // Run in the child just before exec (limits, privileges, name spaces).
  std::function<void()> in_child;
  // Non-empty: the program run instead of the binary under test.
  std::string program;
  int timeout_seconds = 60;
  // Non-empty: standard output is this file (created or truncated), as with
  // "> file" in a shell; RunResult::out stays empty.
  std::string stdout_path;
  // Non-zero: the child's address space is limited to this many bytes.
  long long address_space_limit = 0;
};

// The binary under test.
std::string mailsift_binary();

RunResult run_mailsift(const std::vector<std::string>& args, const RunOptions& options = {});

// Scratch directory helpers.
std::string make_scratch_dir();
void remove_tree(const std::string& path);
void write_file(const std::string& path, const std::string& bytes);
std::string read_file(const std::string& path);
void make_dirs(const std::string& path);
// Sets a file's modification (and access) time to a local date-time.
void set_mtime_local(const std::string& path, int year, int month, int day, int hour, int minute,
                     int second = 0);
// The default clean environment: TZ=UTC, LANG=C, HOME pointing at the scratch dir.
std::vector<std::string> clean_env(const std::string& home);

// The fault library's read faults reach reads through the C library only,
// not the reads the kernel's ring does ahead: a run with one reads plainly.
// The ring's own failures are the read-ahead's unit tests'.
inline void add_fault(std::vector<std::string>& env, const std::string& fault) {
  env.push_back(fault);
  if (fault.rfind("MAILSIFT_FAULT_READ_", 0) != 0) return;
  std::erase_if(env, [](const std::string& v) { return v.rfind("MAILSIFT_IO=", 0) == 0; });
  env.push_back("MAILSIFT_IO=plain");
}

}  // namespace mailsift::test
