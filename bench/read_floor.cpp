// The benchmark's floor: what merely opening, reading and closing every file
// of a tree costs on one thread. Walks the tree the simple way (readdir in
// directory order, the entry type from readdir, a recursion per directory)
// and reads each regular file to its end in 128 KiB reads. Prints the files
// and bytes read.
//
//   mailsift_read_floor DIR
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

alignas(4096) char buffer[1 << 17];
long long files = 0;
long long bytes = 0;

void read_file(int dir, const char* name) {
  const int fd = ::openat(dir, name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  for (ssize_t got; (got = ::read(fd, buffer, sizeof buffer)) > 0;) bytes += got;
  ::close(fd);
  ++files;
}

void walk(int dir_fd) {
  DIR* dir = ::fdopendir(dir_fd);
  if (dir == nullptr) {
    ::close(dir_fd);
    return;
  }
  while (const dirent* entry = ::readdir(dir)) {
    const char* name = entry->d_name;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) continue;
    if (entry->d_type == DT_DIR) {
      const int child = ::openat(::dirfd(dir), name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
      if (child >= 0) walk(child);
    } else if (entry->d_type == DT_REG) {
      read_file(::dirfd(dir), name);
    }
  }
  ::closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: mailsift_read_floor DIR\n");
    return 2;
  }
  const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    std::perror(argv[1]);
    return 1;
  }
  walk(root);
  std::printf("%lld files, %lld bytes\n", files, bytes);
  return 0;
}
