// Windows path syntax: "\" (and "/") separators, drive letters, network
// paths and the long-path prefix; the entry order of directory listings.
#include <algorithm>

#include "platform/path_syntax.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {

using namespace windows;

namespace {

bool has_long_prefix(std::string_view path) {
  return path.size() >= 4 && path[0] == '\\' && path[1] == '\\' &&
         (path[2] == '?' || path[2] == '.') && path[3] == '\\';
}

bool is_drive(std::string_view path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

bool is_unc(std::string_view path) {
  return path.size() >= 2 && is_separator(path[0]) && is_separator(path[1]);
}

// The root of an absolute path: "X:" or "\\server\share" (without a
// trailing separator), and where the rest begins.
std::size_t root_length(std::string_view path) {
  if (is_drive(path)) return 2;
  if (!is_unc(path)) return 0;
  std::size_t i = 2;
  for (int part = 0; part < 2; ++part) {
    while (i < path.size() && !is_separator(path[i])) ++i;
    if (part == 0 && i < path.size()) ++i;
  }
  return i;
}

}  // namespace

bool entry_name_less(const std::string& a, const std::string& b) {
  return wide_name_less(to_wide(a), to_wide(b));
}

void sort_entry_names(std::vector<std::string>& names) {
  std::vector<std::pair<std::wstring, std::string>> keyed;
  keyed.reserve(names.size());
  for (std::string& name : names) keyed.emplace_back(to_wide(name), std::move(name));
  std::sort(keyed.begin(), keyed.end(),
            [](const auto& x, const auto& y) { return wide_name_less(x.first, y.first); });
  for (std::size_t i = 0; i < names.size(); ++i) names[i] = std::move(keyed[i].second);
}

bool make_absolute_from(const std::string& cwd, const std::string& path, std::string& out) {
  if (has_long_prefix(path)) {
    if (path.size() >= kMaxPath) return false;
    out = path;
    return true;
  }
  std::string value = path;
  std::replace(value.begin(), value.end(), '/', '\\');
  std::string base;
  std::string_view rest;
  if (is_unc(value) || (is_drive(value) && value.size() > 2 && value[2] == '\\')) {
    const std::size_t root = root_length(value);
    base = value.substr(0, root);
    rest = std::string_view(value).substr(root);
  } else if (is_drive(value)) {
    // "X:name" is relative to the current directory when that is on X:.
    const bool same_drive = is_drive(cwd) && (cwd[0] | 0x20) == (value[0] | 0x20);
    base = same_drive ? cwd : value.substr(0, 2);
    rest = std::string_view(value).substr(2);
  } else if (!value.empty() && value[0] == '\\') {
    base = cwd.substr(0, root_length(cwd));
    rest = value;
  } else {
    base = cwd;
    rest = value;
  }
  const std::size_t root = root_length(base);
  std::string result = base.substr(0, root);
  std::vector<std::string_view> parts;
  const std::string joined = base.substr(root) + "\\" + std::string(rest);
  std::string_view all(joined);
  std::size_t i = 0;
  while (i < all.size()) {
    while (i < all.size() && all[i] == '\\') ++i;
    const std::size_t start = i;
    while (i < all.size() && all[i] != '\\') ++i;
    const std::string_view part = all.substr(start, i - start);
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!parts.empty()) parts.pop_back();
      continue;
    }
    parts.push_back(part);
  }
  for (std::string_view part : parts) {
    result.push_back('\\');
    result.append(part);
  }
  if (parts.empty() || (!value.empty() && value.back() == '\\')) result.push_back('\\');
  if (result.size() >= kMaxPath) return false;
  out = std::move(result);
  return true;
}

bool make_absolute(const std::string& path, std::string& out) {
  if (path.empty()) return current_directory(out);
  // The system's own full-path operation: one current directory per drive,
  // and "." and ".." resolved without looking at the disk.
  const std::wstring written = to_wide(path);
  std::wstring full(written.size() + MAX_PATH, L'\0');
  for (;;) {
    const DWORD n =
        ::GetFullPathNameW(written.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
    if (n == 0) return false;
    if (n < full.size()) {
      full.resize(n);
      break;
    }
    if (n >= kMaxPath) return false;
    full.resize(n + 1);
  }
  if (full.size() >= kMaxPath) return false;
  out = to_utf8(full);
  return true;
}

void split_path(const std::string& path, std::string& dir, std::string& name) {
  std::size_t cut = path.find_last_of("\\/");
  if (cut == std::string::npos && is_drive(path)) cut = 1;
  if (cut == std::string::npos) {
    dir.clear();
    name = path;
    return;
  }
  dir = path.substr(0, cut + 1);
  name = path.substr(cut + 1);
}

bool is_separator(char c) {
  return c == '\\' || c == '/';
}

void append_separator(std::string& path) {
  if (path.empty() || !is_separator(path.back())) path.push_back(kSeparator);
}

void drop_trailing_separator(std::string& path) {
  // A drive's root ("C:\") keeps its separator: "C:" alone names the
  // current directory of that drive.
  if (path.size() < 2 || !is_separator(path.back())) return;
  if (path[path.size() - 2] == ':') return;
  path.pop_back();
}

std::vector<std::string> standing_ini_places() {
  return {};
}

bool starts_option(char c) {
  return c == '-' || c == '+' || c == '/';
}

void add_long_path_prefix(std::string& absolute) {
  // A network path stays as written ("\\server\share" shows without its
  // leading backslashes); the wide file functions give it "\\?\UNC\" when
  // it grows long.
  if (has_long_prefix(absolute) || is_unc(absolute)) return;
  absolute.insert(0, "\\\\?\\");
}

bool same_path(std::string_view a, std::string_view b) {
  const std::wstring x = to_wide(a);
  const std::wstring y = to_wide(b);
  return ::CompareStringOrdinal(x.data(), static_cast<int>(x.size()), y.data(),
                                static_cast<int>(y.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace mailsift::platform
