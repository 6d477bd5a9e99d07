// A read ring's results on POSIX, with or without the ring: a negative
// result is a negated errno.
#include <cerrno>

#include "platform/read_ring.h"

namespace mailsift::platform {

void note_read_error(std::int64_t result) { errno = static_cast<int>(-result); }

bool read_would_block(std::int64_t result) { return result == -EAGAIN; }

}  // namespace mailsift::platform
