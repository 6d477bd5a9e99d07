// How files are read, as MAILSIFT_IO asks: the same rule on every system.
#include <string>

#include "platform/platform.h"
#include "platform/read_ring.h"

namespace mailsift::platform {

ReadMode read_mode() {
  std::string io;
  if (!get_environment("MAILSIFT_IO", io)) return ReadMode::kJudged;
  if (io == "plain") return ReadMode::kPlain;
  return io == "ahead" ? ReadMode::kAhead : ReadMode::kJudged;
}

}  // namespace mailsift::platform
