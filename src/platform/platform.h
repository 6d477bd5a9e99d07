// The one narrow interface between mailsift and the operating system.
//
// Everything the program does through the OS (directories, file facts, opening
// and writing files, the clock, machine facts, the terminal and signals) is
// declared here. src/platform/posix/ implements it for POSIX and
// src/platform/windows/ for Windows (the wide API, UTF-8 at the boundary).
// Nothing outside src/platform/ includes an OS header or reads errno.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace mailsift::platform {

// ---------------------------------------------------------------------------
// Files and directories
// ---------------------------------------------------------------------------

// 100-nanosecond intervals since 1601-01-01 00:00 UTC.
using FileTime = std::uint64_t;

// Seconds between 1601-01-01 and 1970-01-01.
inline constexpr std::int64_t kFileTimeEpochOffset = 11644473600LL;

enum class EntryType { kRegular, kDirectory, kDangling, kOther };

// Attribute bits as the report's attribute option names them.
inline constexpr std::uint32_t kAttrReadOnly = 0x1;
inline constexpr std::uint32_t kAttrHidden = 0x2;
inline constexpr std::uint32_t kAttrSystem = 0x4;
inline constexpr std::uint32_t kAttrDirectory = 0x10;
inline constexpr std::uint32_t kAttrArchive = 0x20;
inline constexpr std::uint32_t kAttrEncrypted = 0x4000;

// The facts of one directory entry (links followed; a dangling link is an
// entry of its own).
struct EntryInfo {
  EntryType type = EntryType::kOther;
  std::int64_t size = 0;
  FileTime write_time = 0;
  FileTime access_time = 0;
  FileTime creation_time = 0;
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  std::uint32_t attributes = 0;  // kAttr* bits derived from the mode
};

// Identity of a file, for the skip set and the link-loop guard.
struct FileIdentity {
  std::uint64_t device = 0;
  std::uint64_t inode = 0;
  bool operator==(const FileIdentity&) const = default;
};

// What a directory listing says of an entry's type without looking at the
// entry itself: a regular file, something that holds no message (a FIFO, a
// socket, a device), or unknown (directories, links, and file systems that do
// not say).
enum class ListedType { kUnknown, kRegular, kOther };

struct ListedEntry {
  std::string name;
  ListedType type = ListedType::kUnknown;
};

// Why a directory could not be opened, looked at or listed.
enum class DirectoryFailure {
  kGone,        // not there (any more), or not a directory: nothing to report
  kNotEntered,  // on a kernel pseudo file system, which is never entered
  kUnreadable,  // there, but it cannot be read (permission, I/O, no handle left)
};

// Directory and file access the walk and the dispatch go through. Virtual so
// that tests can walk an in-memory tree; the real one is real_file_system().
// Handles are small non-negative integers; -1 means failure.
class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Opens a directory by absolute path. Paths longer than the OS limit are
  // opened one component at a time. Both opens give -1 for a directory on a
  // kernel pseudo file system (proc, sysfs, cgroup, ...), which holds kernel
  // state rather than files: it is never entered.
  virtual int open_directory(const std::string& absolute_path) = 0;
  // Opens the subdirectory `name` of an open directory (links followed).
  virtual int open_subdirectory(int dir, const std::string& name) = 0;
  virtual void close_directory(int dir) = 0;
  // The entry names of an open directory without "." and "..", sorted by name
  // with ASCII letters upper-cased, byte by byte, ties by raw bytes.
  virtual bool list_directory(int dir, std::vector<std::string>& names) = 0;
  // list_directory's entries with the type the listing gave. By default
  // every type is unknown.
  virtual bool list_entries(int dir, std::vector<ListedEntry>& entries);
  // Entry facts of `name` in an open directory: stat, and lstat when that fails.
  virtual bool stat_entry(int dir, const std::string& name, EntryInfo& info) = 0;
  // Identity of an open directory.
  virtual bool directory_identity(int dir, FileIdentity& id) = 0;
  // Why the last of open_directory, open_subdirectory, directory_identity,
  // list_directory and list_entries that failed on this thread failed; for
  // kUnreadable `reason` gets the system's words. By default: kGone.
  virtual DirectoryFailure directory_failure(std::string& reason);
  // Opens an entry the walk saw as a regular file for reading (non-blocking,
  // no controlling tty, no second look at its type); -1 when it cannot be
  // opened (last_error_text() says why).
  virtual int open_file(int dir, const std::string& name) = 0;
  // The facts of an entry listed as a regular file, as stat_entry gives
  // them. Where it costs no extra call the file is opened in the same step,
  // as open_file opens it: `opened` is then its handle, else -1 and the
  // caller opens it itself if it still wants to. False when the entry cannot
  // be looked at. By default: stat_entry.
  virtual bool look_at_regular(int dir, const std::string& name, EntryInfo& info, int& opened);
  // Reads up to n bytes: the count, 0 at end of file (or when a signal
  // interrupted the read), -1 on a read error (last_error_text() says why).
  virtual std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) = 0;
  virtual void close_file(int file) = 0;
  // Read-only on: clear every write bit; off: set the owner's write bit.
  // One chmod when the mode changes, none otherwise.
  virtual bool set_attributes(int dir, const std::string& name, std::uint32_t attributes) = 0;
};

// One open handle with its owner: moved, never copied, so that exactly one
// owner closes it (with `Close`) when it goes out of scope. Borrowers use
// handle() for the FileSystem calls.
template <void (*Close)(FileSystem* fs, int handle)>
class OwnedHandle {
 public:
  OwnedHandle() = default;
  OwnedHandle(FileSystem* fs, int handle) : fs_(fs), handle_(handle) {}
  OwnedHandle(OwnedHandle&& other) noexcept
      : fs_(other.fs_), handle_(std::exchange(other.handle_, -1)) {}
  OwnedHandle& operator=(OwnedHandle&& other) noexcept {
    if (this != &other) {
      close();
      fs_ = other.fs_;
      handle_ = std::exchange(other.handle_, -1);
    }
    return *this;
  }
  ~OwnedHandle() { close(); }
  bool is_open() const { return handle_ >= 0; }
  int handle() const { return handle_; }
  void close() {
    if (handle_ >= 0) Close(fs_, std::exchange(handle_, -1));
  }

 protected:
  FileSystem* fs() const { return fs_; }

 private:
  FileSystem* fs_ = nullptr;
  int handle_ = -1;
};

inline void close_directory_of(FileSystem* fs, int handle) { fs->close_directory(handle); }
// A FileSystem's file, or without one a raw handle of open_path.
void close_file_of(FileSystem* fs, int handle);

// An open directory of a FileSystem.
class Directory : public OwnedHandle<&close_directory_of> {
 public:
  Directory() = default;
  Directory(FileSystem& fs, int handle) : OwnedHandle(&fs, handle) {}
};

// An open file: either a message file opened through a FileSystem, or
// (without one) a raw handle of open_path: a list or INI file. Both are read
// the same way.
class File : public OwnedHandle<&close_file_of> {
 public:
  File() = default;
  File(FileSystem& fs, int handle) : OwnedHandle(&fs, handle) {}
  explicit File(int raw_handle) : OwnedHandle(nullptr, raw_handle) {}
  // Reads up to n bytes: the count, 0 at end of file (or when a signal
  // interrupted the read), -1 on a read error (last_error_text() says why).
  std::ptrdiff_t read(char* buffer, std::size_t n);
};

// The owning forms of the FileSystem's opens: a closed Directory or File
// when the open fails (last_error_text() or directory_failure() says why).
inline Directory open_directory(FileSystem& fs, const std::string& absolute_path) {
  return Directory(fs, fs.open_directory(absolute_path));
}
inline Directory open_subdirectory(FileSystem& fs, const Directory& dir, const std::string& name) {
  return Directory(fs, fs.open_subdirectory(dir.handle(), name));
}
inline File open_file(FileSystem& fs, const Directory& dir, const std::string& name) {
  return File(fs, fs.open_file(dir.handle(), name));
}
// look_at_regular, the file (when it was opened in the same step) in `opened`.
inline bool look_at_regular(FileSystem& fs, const Directory& dir, const std::string& name,
                            EntryInfo& info, File& opened) {
  int handle = -1;
  const bool usable = fs.look_at_regular(dir.handle(), name, info, handle);
  opened = File(fs, handle);
  return usable;
}

FileSystem& real_file_system();

// Sort order of directory entries (exposed for tests and fakes).
bool entry_name_less(const std::string& a, const std::string& b);
void sort_entry_names(std::vector<std::string>& names);

// Plain path-level operations (no descriptors kept).
bool stat_path(const std::string& path, EntryInfo& info);
bool is_directory(const std::string& path);
bool path_exists(const std::string& path);
bool make_directory(const std::string& path);
bool current_directory(std::string& out);
// Full path of the running executable (/proc/self/exe, else argv0 resolved).
std::string executable_path(const std::string& argv0);
// Lexical absolute path: join with the current directory, collapse "//", "."
// and "..", never resolve links. False when the result exceeds kMaxPath.
inline constexpr std::size_t kMaxPath = 32768;
bool make_absolute(const std::string& path, std::string& out);
// Same, against an explicit current directory (for tests).
bool make_absolute_from(const std::string& cwd, const std::string& path, std::string& out);
// Splits at the last "/": dir keeps its trailing "/" ("" when there is none),
// name is the rest.
void split_path(const std::string& path, std::string& dir, std::string& name);

// Raw file handles for the report, the log, the INI and list files.
// The three standard streams are 0, 1 and 2.
inline constexpr int kStdin = 0;
inline constexpr int kStdout = 1;
inline constexpr int kStderr = 2;
enum class OpenMode { kRead, kWriteTruncate, kAppend, kReadWriteCreate };
int open_path(const std::string& path, OpenMode mode);  // -1 on failure
// The count, 0 at end (or when a signal interrupted the read), -1 on error.
std::ptrdiff_t read_handle(int handle, char* buffer, std::size_t n);
// Writes all n bytes; false on any failure (disk full, broken pipe).
bool write_handle(int handle, const char* data, std::size_t n);
// From now on the handle's writes go out exactly as given: where the report
// and the standard streams are text streams (Windows, "\n" as CR LF) this
// one stops being one; elsewhere nothing changes.
void set_binary_output(int handle);
void close_handle(int handle);
bool handle_identity(int handle, FileIdentity& id);
bool handle_is_regular_file(int handle);
std::int64_t handle_size(int handle);  // -1 on failure
bool seek_handle(int handle, std::int64_t offset);
bool truncate_handle(int handle, std::int64_t length);
// The most handles the process may hold open at once (SIZE_MAX when there is
// no such limit).
std::size_t open_handle_limit();
// Describes the last failed call, for messages.
std::string last_error_text();

// ---------------------------------------------------------------------------
// Clock and calendar
// ---------------------------------------------------------------------------

struct CalendarTime {
  int year = 0;
  int month = 0;  // 1..12
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
  int weekday = 0;  // 0 = Sunday
};

// The source of "now". Tests install a fixed clock in the run context.
class Clock {
 public:
  virtual ~Clock() = default;
  // Seconds since 1970-01-01 00:00 UTC.
  virtual std::int64_t now() const;
};
Clock& system_clock();

// Breaks a file time into calendar fields, local (the zone rules in force at
// that time) or UTC. False when it cannot be converted.
bool file_time_to_calendar(FileTime time, bool utc, CalendarTime& out);
bool seconds_to_calendar(std::int64_t seconds, bool utc, CalendarTime& out);
// Local calendar fields taken as standard time (daylight flag cleared);
// out-of-range fields carry over. -1 before 1970 or after 3000.
std::int64_t local_standard_to_seconds(int year, int month, int day, int hour, int minute,
                                       int second);
// Seconds since the process started (process clock).
double process_seconds();

// ---------------------------------------------------------------------------
// Machine facts
// ---------------------------------------------------------------------------

bool computer_name(std::string& out);
// -1: no registry on this platform.
int last_access_setting();
struct TimeZoneNames {
  std::string standard_name;
  std::string daylight_name;  // empty when the zone has no daylight time
  int offset_hours = 0;       // positive west of Greenwich, fraction dropped
};
// Refreshes the zone rules from the environment, then reports them.
TimeZoneNames read_time_zone_names();
void refresh_time_zone();
// True when the locale's character set is UTF-8 (asked once; the "C" locale
// is restored afterwards).
bool console_is_utf8();
bool get_environment(const char* name, std::string& value);

// ---------------------------------------------------------------------------
// Terminal
// ---------------------------------------------------------------------------

bool is_terminal(int handle);
// Standard input is a terminal and we are in its foreground process group.
bool in_foreground();
// Zero-timeout poll of standard input (terminal, foreground only): true when a
// lone Esc or Ctrl-C was typed. Other keys are consumed and ignored.
bool abort_key_pressed();
// Reads one key in raw mode (no echo, no line buffering, no signal keys);
// -1 at end of input. Terminal settings are restored before it returns.
int read_raw_key();
// Restores any terminal settings changed by read_raw_key (safe to call twice).
void restore_terminal();
void sleep_seconds(int seconds);
// Discards pending input on a terminal.
void flush_terminal_input();

// ---------------------------------------------------------------------------
// Signals
// ---------------------------------------------------------------------------

// SIGINT, SIGTERM and SIGHUP set the interrupt flag (a second SIGINT gets the
// default action); SIGPIPE is ignored.
void install_signal_handlers();
bool interrupted();
// For tests and for the abort key.
void set_interrupted(bool value);

}  // namespace mailsift::platform
