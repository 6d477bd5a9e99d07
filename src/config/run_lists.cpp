#include "config/run_lists.h"

#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

void add_root(RunLists& lists, const std::string& path) {
  std::string stored;
  if (!platform::make_absolute(path, stored)) return;
  platform::drop_trailing_separator(stored);
  platform::add_long_path_prefix(stored);
  // Two roots are one when the file system takes them for the same name
  // (byte for byte where names are case-sensitive).
  for (const std::string& root : lists.roots) {
    if (platform::same_path(root, stored)) return;
  }
  lists.roots.push_back(std::move(stored));
}

void add_name_pattern(RunLists& lists, const std::string& pattern) {
  for (const std::string& known : lists.name_patterns) {
    if (known == pattern) return;
  }
  lists.name_patterns.push_back(pattern);
}

void add_path_argument(RunLists& lists, const std::string& argument) {
  std::string absolute;
  if (!platform::make_absolute(argument, absolute)) return;
  if (absolute.find('*') == std::string::npos && platform::is_directory(absolute)) {
    add_root(lists, absolute);
    return;
  }
  // A pattern, a single file or a name that does not exist: the directory
  // part becomes the root and the last component the pattern.
  std::string directory;
  std::string name;
  platform::split_path(absolute, directory, name);
  platform::drop_trailing_separator(directory);
  if (directory.empty()) return;
  add_root(lists, directory);
  if (!name.empty()) add_name_pattern(lists, name);
}

void add_current_directory(RunLists& lists) {
  std::string cwd;
  if (platform::current_directory(cwd)) add_root(lists, cwd);
}

void add_exclusion(RunLists& lists, std::string_view pattern) {
  std::string upper(pattern);
  upper_in_place(upper);
  lists.exclusions.push_back(std::move(upper));
}

}  // namespace mailsift
