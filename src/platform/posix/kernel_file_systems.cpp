// Kernel pseudo file systems, told apart by the file-system type statfs
// reports. The walk never enters a directory on one of them: they hold kernel
// state, not saved mail, and their directory links fan out without end (a
// search of "/" would otherwise never finish).
#include <sys/vfs.h>

#include <cerrno>
#include <cstdint>

#include "platform/posix/posix_util.h"

namespace mailsift::platform::posix {

namespace {

// f_type values; the kernel's own constants (linux/magic.h, and ipc/mqueue.c
// for mqueue, which has no public name).
constexpr std::uint32_t kKernelFileSystems[] = {
    0x9fa0,      // proc
    0x62656572,  // sysfs
    0x27e0eb,    // cgroup
    0x63677270,  // cgroup2
    0x1cd1,      // devpts
    0x64626720,  // debugfs
    0x74726163,  // tracefs
    0x73636673,  // securityfs
    0xcafe4a11,  // bpf
    0x6165676c,  // pstore
    0x62656570,  // configfs
    0xde5e81e4,  // efivarfs
    0x65735543,  // fusectl
    0x19800202,  // mqueue
    0x42494e4d,  // binfmt_misc
    0xf97cff8c,  // selinuxfs
    0x6e736673,  // nsfs
    0x0187,      // autofs
};

}  // namespace

bool on_kernel_file_system(int fd) {
  struct statfs fs;
  int rc;
  do {
    rc = ::fstatfs(fd, &fs);
  } while (rc != 0 && errno == EINTR);
  if (rc != 0) return false;
  // f_type is a signed word on some targets; the magic numbers are 32 bits.
  const auto type = static_cast<std::uint32_t>(fs.f_type);
  for (std::uint32_t magic : kKernelFileSystems) {
    if (type == magic) return true;
  }
  return false;
}

}  // namespace mailsift::platform::posix
