// Where liburing is not there to build with: no read ring, every read is
// plain.
#include <cerrno>

#include "platform/read_ring.h"

#include <string>

#include "platform/platform.h"

namespace mailsift::platform {

std::unique_ptr<ReadRing> open_read_ring(unsigned) { return nullptr; }

ReadMode read_mode() {
  std::string io;
  if (!get_environment("MAILSIFT_IO", io)) return ReadMode::kJudged;
  if (io == "plain") return ReadMode::kPlain;
  return io == "ahead" ? ReadMode::kAhead : ReadMode::kJudged;
}

void note_read_error(std::int64_t result) { errno = static_cast<int>(-result); }

bool read_would_block(std::int64_t result) { return result == -EAGAIN; }

}  // namespace mailsift::platform
