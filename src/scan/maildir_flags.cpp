#include "scan/maildir_flags.h"

#include "platform/path_syntax.h"

namespace mailsift {

std::string_view maildir_flags(std::string_view path) {
  std::size_t name_begin = path.size();
  while (name_begin > 0 && !platform::is_separator(path[name_begin - 1])) --name_begin;
  // The last marker in the name: "x:2,S" and, oddly, "a:2,b:2,S" both give S.
  for (std::size_t i = path.size(); i >= name_begin + 3; --i) {
    const std::size_t at = i - 3;
    const char mark = path[at];
    if ((mark == ':' || mark == '!' || mark == ';') && path[at + 1] == '2' && path[at + 2] == ',') {
      return path.substr(i);
    }
  }
  return {};
}

}  // namespace mailsift
