#include "scan/maildir_flags.h"

#include "platform/path_syntax.h"

namespace mailsift {

std::string_view maildir_flags(std::string_view path) {
  // The last marker of the path, "x:2,S" and, oddly, "a:2,b:2,S" both
  // giving S; it counts only when no separator follows it, that is when it
  // stands in the file's own name. Most paths hold no "2," at all.
  for (std::size_t i = path.size(); i >= 3; --i) {
    const std::size_t at = i - 3;
    if (path[at + 2] != ',' || path[at + 1] != '2') continue;
    const char mark = path[at];
    if (mark != ':' && mark != '!' && mark != ';') continue;
    const std::string_view flags = path.substr(i);
    for (const char c : flags) {
      if (platform::is_separator(c)) return {};
    }
    return flags;
  }
  return {};
}

}  // namespace mailsift
