// Directory walking and message opening relative to open directories, so that
// paths longer than PATH_MAX work like any other.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdint>

#include "platform/platform.h"
#include "platform/posix/posix_util.h"

namespace mailsift::platform {

namespace {

// The walk holds one descriptor per level of the tree; a tree deeper than
// the soft descriptor limit raises that limit up to the hard one.
bool raise_descriptor_limit() {
  rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_cur >= limit.rlim_max) return false;
  limit.rlim_cur = limit.rlim_max;
  return ::setrlimit(RLIMIT_NOFILE, &limit) == 0;
}

}  // namespace

// The hard limit: the soft one is raised to it when reached.
std::size_t open_handle_limit() {
  rlimit limit;
  if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_max == RLIM_INFINITY) return SIZE_MAX;
  return static_cast<std::size_t>(limit.rlim_max);
}

namespace {

int open_dir_at(int parent, const char* name) {
  int fd;
  do {
    fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
  } while (fd < 0 && (errno == EINTR || (errno == EMFILE && raise_descriptor_limit())));
  return fd;
}

// Why the walking thread's last directory call failed.
struct Failure {
  DirectoryFailure kind = DirectoryFailure::kGone;
  int error = 0;
};
thread_local Failure last_failure;

// Notes a failed directory call by its errno: a directory that is not there
// (any more) or is no directory has nothing to report.
void note_failure(int error) {
  const bool gone = error == ENOENT || error == ENOTDIR;
  last_failure = {gone ? DirectoryFailure::kGone : DirectoryFailure::kUnreadable, error};
}

// A directory on a kernel pseudo file system is never entered: it is closed
// again and reported as not opened. A failed open is noted.
int refuse_kernel_directory(int fd) {
  if (fd < 0) {
    note_failure(errno);
    return -1;
  }
  if (posix::on_kernel_file_system(fd)) {
    ::close(fd);
    last_failure = {DirectoryFailure::kNotEntered, 0};
    return -1;
  }
  return fd;
}

int open_message(int dir, const std::string& name) {
  int fd;
  do {
    fd = ::openat(dir, name.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  } while (fd < 0 && (errno == EINTR || (errno == EMFILE && raise_descriptor_limit())));
  // The walk opens only what it saw as a regular file. Non-blocking, a FIFO
  // swapped in since then cannot stall the run: reading it ends at once.
  return fd;
}

ListedType listed_type(unsigned char d_type) {
  switch (d_type) {
    case DT_REG:
      return ListedType::kRegular;
    case DT_FIFO:
    case DT_SOCK:
    case DT_CHR:
    case DT_BLK:
      return ListedType::kOther;
    default:
      return ListedType::kUnknown;
  }
}

// Calls `take(name, d_type)` for each entry but "." and "..", in the order
// the system lists them.
template <typename Take>
bool read_directory(int dir, Take take) {
  // A duplicate of the handle, not a new open of ".": listing a directory
  // needs read permission only, as on the handle itself.
  int copy;
  do {
    copy = ::fcntl(dir, F_DUPFD_CLOEXEC, 0);
  } while (copy < 0 && errno == EMFILE && raise_descriptor_limit());
  if (copy < 0) {
    note_failure(errno);
    return false;
  }
  DIR* d = ::fdopendir(copy);
  if (d == nullptr) {
    note_failure(errno);
    ::close(copy);
    return false;
  }
  ::rewinddir(d);  // the duplicate shares the handle's position
  // readdir leaves errno alone at the end and sets it on a failure.
  errno = 0;
  while (dirent* e = ::readdir(d)) {
    const char* n = e->d_name;
    if (n[0] == '.' && (n[1] == '\0' || (n[1] == '.' && n[2] == '\0'))) continue;
    take(n, e->d_type);
    errno = 0;
  }
  const int error = errno;
  ::closedir(d);
  if (error == 0) return true;
  // Entries lost in the middle of a listing: it cannot be trusted.
  note_failure(error);
  return false;
}

class PosixFileSystem : public FileSystem {
 public:
  int open_directory(const std::string& path) override {
    return refuse_kernel_directory(posix::open_long_directory(path));
  }

  int open_subdirectory(int dir, const std::string& name) override {
    return refuse_kernel_directory(open_dir_at(dir, name.c_str()));
  }

  void close_directory(int dir) override {
    if (dir >= 0) ::close(dir);
  }

  bool list_directory(int dir, std::vector<std::string>& names) override {
    names.clear();
    if (!read_directory(dir, [&names](const char* name, unsigned char) { names.emplace_back(name); }))
      return false;
    sort_entry_names(names);
    return true;
  }

  bool list_entries(int dir, std::vector<ListedEntry>& entries) override {
    entries.clear();
    const bool listed = read_directory(dir, [&entries](const char* name, unsigned char type) {
      entries.push_back(ListedEntry{name, listed_type(type)});
    });
    if (!listed) return false;
    posix::sort_listed_entries(entries);
    return true;
  }

  bool stat_entry(int dir, const std::string& name, EntryInfo& info) override {
    return posix::stat_at(dir, name.c_str(), info);
  }

  bool directory_identity(int dir, FileIdentity& id) override {
    if (handle_identity(dir, id)) return true;
    note_failure(errno);
    return false;
  }

  DirectoryFailure directory_failure(std::string& reason) override {
    const bool unreadable = last_failure.kind == DirectoryFailure::kUnreadable;
    reason = unreadable ? posix::error_text_of(last_failure.error) : std::string();
    return last_failure.kind;
  }

  int open_file(int dir, const std::string& name) override { return open_message(dir, name); }

  // Opening first and asking the handle saves looking the name up twice.
  bool look_at_regular(int dir, const std::string& name, EntryInfo& info, int& opened) override {
    opened = open_message(dir, name);
    if (opened >= 0) {
      if (posix::stat_handle(opened, info) && info.type == EntryType::kRegular) return true;
      // Replaced by something else since the listing: looked at by name.
      ::close(opened);
      opened = -1;
    }
    return posix::stat_at(dir, name.c_str(), info);
  }

  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override {
    return read_handle(file, buffer, n);
  }

  void close_file(int file) override {
    if (file >= 0) ::close(file);
  }

  bool set_attributes(int dir, const std::string& name, std::uint32_t attributes) override {
    struct stat st;
    if (::fstatat(dir, name.c_str(), &st, 0) != 0) return false;
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = mode;
    if (attributes & kAttrReadOnly) {
      wanted = mode & ~static_cast<mode_t>(0222);
    } else if ((mode & 0222) == 0) {
      wanted = mode | S_IWUSR;
    }
    if (wanted == mode) return true;
    return ::fchmodat(dir, name.c_str(), wanted, 0) == 0;
  }
};

}  // namespace

FileSystem& real_file_system() {
  static PosixFileSystem fs;
  return fs;
}

}  // namespace mailsift::platform
