// The benchmark's floors: what merely opening, reading and closing every file
// of a tree costs.
//
//   mailsift_read_floor DIR             one thread: walks the tree the simple
//                                       way (readdir in directory order, the
//                                       entry type from readdir, a recursion
//                                       per directory) and reads each regular
//                                       file as it is met
//   mailsift_read_floor DIR THREADS     lists the tree the same way first,
//                                       then THREADS threads (0: one per
//                                       online core) read the listed files,
//                                       each taking the next from a shared
//                                       counter
//
// Files are read to their end in 128 KiB reads into a page-aligned buffer
// (one per thread). Prints the files and bytes read.
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>
#include <thread>
#include <vector>

namespace {

constexpr std::size_t kBufferSize = 1 << 17;

struct Totals {
  long long files = 0;
  long long bytes = 0;
};

char* aligned_buffer() {
  return static_cast<char*>(::operator new[](kBufferSize, std::align_val_t{4096}));
}

void read_file(int dir, const char* name, char* buffer, Totals& totals) {
  const int fd = ::openat(dir, name, O_RDONLY | O_CLOEXEC);
  if (fd < 0) return;
  for (ssize_t got; (got = ::read(fd, buffer, kBufferSize)) > 0;) totals.bytes += got;
  ::close(fd);
  ++totals.files;
}

// Calls file(dir_fd, name, path) for every regular file under the open
// directory `dir_fd` (closed here), `path` being its directory's path.
template <typename File>
void walk(int dir_fd, const std::string& path, File& file) {
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
      if (child >= 0) walk(child, path + "/" + name, file);
    } else if (entry->d_type == DT_REG) {
      file(::dirfd(dir), name, path);
    }
  }
  ::closedir(dir);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: mailsift_read_floor DIR [THREADS]\n");
    return 2;
  }
  const int root = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (root < 0) {
    std::perror(argv[1]);
    return 1;
  }
  Totals totals;
  if (argc == 2) {
    char* buffer = aligned_buffer();
    auto read_now = [&](int dir, const char* name, const std::string&) {
      read_file(dir, name, buffer, totals);
    };
    walk(root, argv[1], read_now);
  } else {
    long threads = std::strtol(argv[2], nullptr, 10);
    if (threads <= 0) threads = std::max(1L, ::sysconf(_SC_NPROCESSORS_ONLN));
    std::vector<std::string> paths;
    auto list = [&](int, const char* name, const std::string& dir) { paths.push_back(dir + "/" + name); };
    walk(root, argv[1], list);
    std::atomic<std::size_t> next{0};
    std::vector<Totals> each(static_cast<std::size_t>(threads));
    std::vector<std::thread> workers;
    for (long t = 0; t < threads; ++t) {
      workers.emplace_back([&, t] {
        char* buffer = aligned_buffer();
        for (std::size_t i; (i = next.fetch_add(1, std::memory_order_relaxed)) < paths.size();) {
          read_file(AT_FDCWD, paths[i].c_str(), buffer, each[static_cast<std::size_t>(t)]);
        }
        ::operator delete[](buffer, std::align_val_t{4096});
      });
    }
    for (std::thread& worker : workers) worker.join();
    for (const Totals& t : each) {
      totals.files += t.files;
      totals.bytes += t.bytes;
    }
  }
  std::printf("%lld files, %lld bytes\n", totals.files, totals.bytes);
  return 0;
}
