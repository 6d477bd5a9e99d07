// How a stored path is shown, the same on every platform: a long-path prefix
// ("\\?\", or the "\\" of a UNC path) is left out. The shown name starts at
// the first of the first five characters that is neither a backslash nor a
// question mark, so an absolute POSIX path, which starts with "/", shows whole.
#include "platform/path_syntax.h"

namespace mailsift::platform {

std::string_view display_path(std::string_view stored) {
  const std::size_t look = stored.size() < 5 ? stored.size() : 5;
  for (std::size_t i = 0; i < look; ++i) {
    if (stored[i] != '\\' && stored[i] != '?') return stored.substr(i);
  }
  return stored;
}

}  // namespace mailsift::platform
