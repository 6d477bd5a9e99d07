// POSIX path syntax, and path handling that needs no OS call: lexical
// absolute paths, splitting and the entry order of directory listings.
#include <algorithm>
#include <cstdint>

#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "platform/posix/posix_util.h"

namespace mailsift::platform {

namespace {
unsigned char upper_byte(unsigned char c) {
  return (c >= 'a' && c <= 'z') ? c - 32 : c;
}
}  // namespace

bool entry_name_less(const std::string& a, const std::string& b) {
  const std::size_t n = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < n; ++i) {
    // Bytes that are equal are equal in any case: pass over them quickly.
    i = static_cast<std::size_t>(std::mismatch(a.data() + i, a.data() + n, b.data() + i).first -
                                 a.data());
    if (i == n) break;
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

namespace posix {

namespace {

// A name's first eight bytes in entry order, as one number. Names whose keys
// differ sort as their keys do: no name holds a NUL, so a shorter name that
// the other begins with has the smaller key, as it sorts first.
std::uint64_t order_key(const std::string& name) {
  std::uint64_t key = 0;
  for (std::size_t i = 0; i < 8; ++i) {
    key <<= 8;
    if (i < name.size()) key |= upper_byte(static_cast<unsigned char>(name[i]));
  }
  return key;
}

}  // namespace

void sort_listed_entries(std::vector<ListedEntry>& entries) {
  // Sorting keys and positions moves far less than sorting the entries, and
  // most comparisons end at the keys.
  struct Keyed {
    std::uint64_t key;
    std::size_t at;
  };
  std::vector<Keyed> order(entries.size());
  for (std::size_t i = 0; i < entries.size(); ++i) order[i] = Keyed{order_key(entries[i].name), i};
  std::sort(order.begin(), order.end(), [&entries](const Keyed& a, const Keyed& b) {
    if (a.key != b.key) return a.key < b.key;
    return entry_name_less(entries[a.at].name, entries[b.at].name);
  });
  std::vector<ListedEntry> sorted;
  sorted.reserve(entries.size());
  for (const Keyed& k : order) sorted.push_back(std::move(entries[k.at]));
  entries.swap(sorted);
}

}  // namespace posix

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
