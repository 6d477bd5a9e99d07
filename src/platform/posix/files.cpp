// Path-level file operations and raw handles.
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/platform.h"
#include "platform/posix/posix_util.h"

namespace mailsift::platform {

namespace {

FileTime to_file_time(std::int64_t sec, std::int64_t nsec) {
  return static_cast<FileTime>((sec + kFileTimeEpochOffset) * 10000000LL + nsec / 100);
}

void fill_from_statx(const struct statx& sx, EntryInfo& info) {
  mode_t mode = sx.stx_mode;
  if (S_ISREG(mode)) {
    info.type = EntryType::kRegular;
  } else if (S_ISDIR(mode)) {
    info.type = EntryType::kDirectory;
  } else {
    info.type = EntryType::kOther;
  }
  info.size = static_cast<std::int64_t>(sx.stx_size);
  info.write_time = to_file_time(sx.stx_mtime.tv_sec, sx.stx_mtime.tv_nsec);
  info.access_time = to_file_time(sx.stx_atime.tv_sec, sx.stx_atime.tv_nsec);
  if (sx.stx_mask & STATX_BTIME) {
    info.creation_time = to_file_time(sx.stx_btime.tv_sec, sx.stx_btime.tv_nsec);
  } else {
    info.creation_time = to_file_time(sx.stx_ctime.tv_sec, sx.stx_ctime.tv_nsec);
  }
  info.device = (static_cast<std::uint64_t>(sx.stx_dev_major) << 32) | sx.stx_dev_minor;
  info.inode = sx.stx_ino;
  info.attributes = 0;
  if (info.type == EntryType::kDirectory) info.attributes |= kAttrDirectory;
  if ((mode & 0222) == 0) info.attributes |= kAttrReadOnly;
}

}  // namespace

namespace posix {

constexpr unsigned kStatxMask = STATX_BASIC_STATS | STATX_BTIME;

bool stat_handle(int fd, EntryInfo& info) {
  struct statx sx;
  if (::statx(fd, "", AT_EMPTY_PATH | AT_STATX_SYNC_AS_STAT, kStatxMask, &sx) != 0) return false;
  fill_from_statx(sx, info);
  return true;
}

bool stat_at(int dir, const char* name, EntryInfo& info) {
  struct statx sx;
  if (::statx(dir, name, AT_STATX_SYNC_AS_STAT, kStatxMask, &sx) == 0) {
    fill_from_statx(sx, info);
    return true;
  }
  if (::statx(dir, name, AT_SYMLINK_NOFOLLOW | AT_STATX_SYNC_AS_STAT, kStatxMask, &sx) == 0) {
    fill_from_statx(sx, info);
    // A link whose target is missing is an entry of its own.
    if (S_ISLNK(sx.stx_mode)) {
      info.type = EntryType::kDangling;
      info.attributes &= ~kAttrReadOnly;
    }
    return true;
  }
  return false;
}

int open_long_directory(const std::string& path) {
  if (path.empty() || path[0] != '/') return -1;
  if (path.size() < PATH_MAX) {
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
    if (fd >= 0 || errno != ENAMETOOLONG) return fd;
  }
  int fd = ::open("/", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  std::size_t i = 1;
  while (fd >= 0 && i < path.size()) {
    std::size_t next = path.find('/', i);
    if (next == std::string::npos) next = path.size();
    if (next > i) {
      std::string part = path.substr(i, next - i);
      int child = ::openat(fd, part.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOCTTY);
      ::close(fd);
      fd = child;
    }
    i = next + 1;
  }
  return fd;
}

}  // namespace posix

bool stat_path(const std::string& path, EntryInfo& info) {
  if (path.size() < PATH_MAX) return posix::stat_at(AT_FDCWD, path.c_str(), info);
  std::string dir, name;
  split_path(path, dir, name);
  int fd = posix::open_long_directory(dir.empty() ? "/" : dir);
  if (fd < 0) return false;
  bool ok = posix::stat_at(fd, name.c_str(), info);
  ::close(fd);
  return ok;
}

bool is_directory(const std::string& path) {
  EntryInfo info;
  return stat_path(path, info) && info.type == EntryType::kDirectory;
}

bool path_exists(const std::string& path) {
  EntryInfo info;
  return stat_path(path, info);
}

bool make_directory(const std::string& path) {
  return ::mkdir(path.c_str(), 0777) == 0;
}

bool current_directory(std::string& out) {
  std::string buffer(4096, '\0');
  while (::getcwd(buffer.data(), buffer.size()) == nullptr) {
    if (errno != ERANGE || buffer.size() >= kMaxPath * 4) return false;
    buffer.resize(buffer.size() * 2);
  }
  out.assign(buffer.c_str());
  return true;
}

std::string executable_path(const std::string& argv0) {
  char buffer[PATH_MAX + 1];
  ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  if (n > 0) return std::string(buffer, static_cast<std::size_t>(n));
  if (argv0.find('/') == std::string::npos) {
    std::string path_list;
    if (get_environment("PATH", path_list)) {
      std::size_t start = 0;
      while (start <= path_list.size()) {
        std::size_t end = path_list.find(':', start);
        if (end == std::string::npos) end = path_list.size();
        std::string candidate = path_list.substr(start, end - start);
        if (candidate.empty()) candidate = ".";
        candidate += "/" + argv0;
        if (::access(candidate.c_str(), X_OK) == 0) {
          std::string abs;
          if (make_absolute(candidate, abs)) return abs;
        }
        start = end + 1;
      }
    }
  }
  std::string abs;
  if (make_absolute(argv0, abs)) return abs;
  return argv0;
}

int open_path(const std::string& path, OpenMode mode) {
  int flags = O_CLOEXEC | O_NOCTTY;
  switch (mode) {
    case OpenMode::kRead:
      flags |= O_RDONLY | O_NONBLOCK;
      break;
    case OpenMode::kWriteTruncate:
      flags |= O_WRONLY | O_CREAT | O_TRUNC;
      break;
    case OpenMode::kAppend:
      flags |= O_RDWR | O_CREAT | O_APPEND;
      break;
    case OpenMode::kReadWriteCreate:
      flags |= O_RDWR | O_CREAT;
      break;
  }
  int fd;
  do {
    fd = ::open(path.c_str(), flags, 0666);
  } while (fd < 0 && errno == EINTR);
  if (fd >= 0 && mode == OpenMode::kRead) {
    // Opened non-blocking so that a FIFO without a writer cannot hang the open;
    // reads then block as usual.
    struct stat st;
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
      ::close(fd);
      errno = EISDIR;
      return -1;
    }
    int fl = ::fcntl(fd, F_GETFL);
    if (fl >= 0) ::fcntl(fd, F_SETFL, fl & ~O_NONBLOCK);
  }
  return fd;
}

std::ptrdiff_t read_handle(int handle, char* buffer, std::size_t n) {
  for (;;) {
    ssize_t got = ::read(handle, buffer, n);
    if (got >= 0) return got;
    if (errno != EINTR) return -1;
    if (interrupted()) return 0;
  }
}

bool write_handle(int handle, const char* data, std::size_t n) {
  while (n > 0) {
    ssize_t put = ::write(handle, data, n);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    data += put;
    n -= static_cast<std::size_t>(put);
  }
  return true;
}

void close_handle(int handle) {
  if (handle >= 0) ::close(handle);
}

bool handle_identity(int handle, FileIdentity& id) {
  struct stat st;
  if (::fstat(handle, &st) != 0) return false;
  id.device = (static_cast<std::uint64_t>(major(st.st_dev)) << 32) | minor(st.st_dev);
  id.inode = st.st_ino;
  return true;
}

bool handle_is_regular_file(int handle) {
  struct stat st;
  return ::fstat(handle, &st) == 0 && S_ISREG(st.st_mode);
}

// Every handle already writes its bytes as given.
void set_binary_output(int) {}

std::int64_t handle_size(int handle) {
  struct stat st;
  if (::fstat(handle, &st) != 0) return -1;
  return st.st_size;
}

bool seek_handle(int handle, std::int64_t offset) {
  return ::lseek(handle, static_cast<off_t>(offset), SEEK_SET) >= 0;
}

bool truncate_handle(int handle, std::int64_t length) {
  return ::ftruncate(handle, static_cast<off_t>(length)) == 0;
}

namespace {
// strerror_r comes in two forms: the GNU one returns the text, the POSIX one
// fills the buffer and returns a status.
[[maybe_unused]] const char* error_text(const char* text, const char*) {
  return text;
}
[[maybe_unused]] const char* error_text(int status, const char* buffer) {
  return status == 0 ? buffer : "Unknown error";
}
}  // namespace

// Scanning threads ask too: strerror_r, not strerror, which may share one
// buffer among threads.
std::string posix::error_text_of(int error) {
  char buffer[256];
  return error_text(::strerror_r(error, buffer, sizeof buffer), buffer);
}

std::string last_error_text() {
  return posix::error_text_of(errno);
}

}  // namespace mailsift::platform
