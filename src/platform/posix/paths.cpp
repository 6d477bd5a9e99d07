// POSIX path syntax, and path handling that needs no OS call: lexical
// absolute paths, splitting and the entry order of directory listings.
#include <algorithm>

#include "platform/path_syntax.h"
#include "platform/platform.h"

namespace mailsift::platform {

namespace {
unsigned char upper_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}
}  // namespace

bool entry_name_less(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    unsigned char x = upper_byte(static_cast<unsigned char>(a[i]));
    unsigned char y = upper_byte(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;  // equal keys: raw bytes
}

void sort_entry_names(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(), entry_name_less);
}

bool make_absolute_from(const std::string& cwd, const std::string& path, std::string& out) {
  std::string joined;
  if (!path.empty() && path[0] == '/') {
    joined = path;
  } else {
    joined = cwd;
    joined.push_back('/');
    joined += path;
  }
  // Collapse "//", "." and ".." lexically.
  std::vector<std::string_view> parts;
  std::string_view rest(joined);
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && rest[i] == '/') ++i;
    std::size_t start = i;
    while (i < rest.size() && rest[i] != '/') ++i;
    std::string_view part = rest.substr(start, i - start);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  std::string result;
  for (std::string_view part : parts) {
    result.push_back('/');
    result.append(part);
  }
  if (result.empty()) result = "/";
  // A path that ended in a separator keeps one (like the full-path operation).
  if (result.size() > 1 && !path.empty() && (path.back() == '/')) result.push_back('/');
  if (result.size() >= kMaxPath) return false;
  out = std::move(result);
  return true;
}

bool make_absolute(const std::string& path, std::string& out) {
  if (!path.empty() && path[0] == '/') return make_absolute_from("/", path, out);
  std::string cwd;
  if (!current_directory(cwd)) return false;
  return make_absolute_from(cwd, path, out);
}

void split_path(const std::string& path, std::string& dir, std::string& name) {
  std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    dir.clear();
    name = path;
    return;
  }
  dir = path.substr(0, slash + 1);
  name = path.substr(slash + 1);
}

bool is_separator(char c) {
  return c == '/';
}

void append_separator(std::string& path) {
  if (path.empty() || path.back() != '/') path.push_back('/');
}

void drop_trailing_separator(std::string& path) {
  if (path.size() > 1 && path.back() == '/') path.pop_back();
}

std::vector<std::string> standing_ini_places() {
  // Where a POSIX user keeps standing settings.
  std::vector<std::string> places;
  std::string config_home;
  if (!get_environment("XDG_CONFIG_HOME", config_home) || config_home.empty()) {
    std::string home;
    if (get_environment("HOME", home) && !home.empty()) config_home = home + "/.config";
  }
  if (!config_home.empty()) places.push_back(config_home + "/mailsift/mailsift.ini");
  places.push_back("/etc/mailsift/mailsift.ini");
  return places;
}

bool starts_option(char c) {
  // "/" starts an absolute path.
  return c == '-' || c == '+';
}

void add_long_path_prefix(std::string&) {}

bool same_path(std::string_view a, std::string_view b) {
  return a == b;
}

}  // namespace mailsift::platform
