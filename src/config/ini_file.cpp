#include "config/ini_file.h"

#include <string>
#include <vector>

#include "config/ini_directives.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

namespace {

// A line is read in pieces of at most 259 characters; each is a line.
constexpr std::size_t kIniLineLimit = 260;
constexpr std::size_t kIniBufferSize = 4096;
constexpr const char* kSharedFileName = "TALLWICK.INI";
constexpr const char* kFamilyFileName = "MAILSIFT.ini";

struct IniPlace {
  std::string path;
  bool shared = false;
};

// The executable's name without directory and extension.
std::string base_name_of(const std::string& path) {
  std::string dir, name;
  platform::split_path(path, dir, name);
  std::size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  return name;
}

void add_place(std::vector<IniPlace>& places, const std::string& dir, const std::string& name,
               bool shared) {
  // Each name as written, then in lower case (POSIX names are case-sensitive).
  places.push_back({dir + name, shared});
  std::string lower = name;
  for (char& c : lower) c = ascii_lower(c);
  if (lower != name) places.push_back({dir + lower, shared});
}

std::vector<IniPlace> candidate_places(const std::string& exe_dir, const std::string& base) {
  std::vector<IniPlace> places;
  const std::string own = base + ".ini";
  add_place(places, "", own, false);
  add_place(places, exe_dir, own, false);
  add_place(places, "", kSharedFileName, true);
  add_place(places, exe_dir, kSharedFileName, true);
  add_place(places, "", kFamilyFileName, false);
  add_place(places, exe_dir, kFamilyFileName, false);
  for (std::string& place : platform::standing_ini_places())
    places.push_back({std::move(place), false});
  return places;
}

bool find_ini_file(const std::vector<IniPlace>& places, IniPlace& found) {
  for (const IniPlace& place : places) {
    platform::EntryInfo info;
    // Only a regular file: a directory, a FIFO or a device holds no settings
    // (and reading a FIFO could wait forever).
    if (platform::stat_path(place.path, info) && info.type == platform::EntryType::kRegular) {
      found = place;
      return true;
    }
  }
  return false;
}

}  // namespace

IniFile::IniFile(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "-.ini") return;
  }
  const std::string exe = !args.empty() && !args[0].empty() && platform::is_separator(args[0][0])
                              ? args[0]
                              : platform::executable_path(args.empty() ? std::string() : args[0]);
  std::string exe_dir, exe_name;
  platform::split_path(exe, exe_dir, exe_name);
  const std::string base = base_name_of(exe);
  IniPlace place;
  if (!find_ini_file(candidate_places(exe_dir, base), place)) return;
  text_.shared = place.shared;
  text_.section = "[" + base + "]";
  upper_in_place(text_.section);
  file_ = platform::File(platform::open_path(place.path, platform::OpenMode::kRead));
  if (!file_.is_open()) {
    text_.unreadable = true;
    return;
  }
  source_.emplace(file_);
  text_.source = &*source_;
}

IniLines::IniLines() : reader_(kIniBufferSize) {
  line_.reserve(kIniLineLimit);
  upper_.reserve(kIniLineLimit);
}

// The next piece as text: cut at a NUL, one line feed removed; upper_ the
// same upper-cased.
bool IniLines::next_line() {
  if (!reader_.read_line(line_, kIniLineLimit)) return false;
  std::size_t nul = line_.find('\0');
  if (nul != std::string::npos) line_.resize(nul);
  if (!line_.empty() && line_.back() == '\n') line_.pop_back();
  upper_ = line_;
  upper_in_place(upper_);
  return true;
}

void IniLines::start(const IniText& ini) {
  done_ = ini.source == nullptr;
  if (done_) return;
  reader_.reset(ini.source);
  shared_ = ini.shared;
  section_ = ini.section;
  if (!shared_) return;
  // The shared file: the lines before the section header are other tools'.
  for (;;) {
    if (!next_line()) {
      done_ = true;
      return;
    }
    if (upper_.compare(0, section_.size(), section_) == 0) return;
  }
}

bool IniLines::apply_next(Draft& d) {
  if (done_ || !next_line()) {
    done_ = true;
    return false;
  }
  if (upper_.empty() || upper_[0] == ';' || upper_[0] == '#') return true;
  if (upper_[0] == '[' || (shared_ && upper_.find(section_) != std::string::npos)) {
    // Another section ends the shared file's; an own file has no sections.
    if (shared_) done_ = true;
    return !done_;
  }
  IniLine ini;
  ini.upper = upper_;
  ini.original = line_;
  const std::size_t eq = upper_.find('=');
  ini.has_value = eq != std::string::npos;
  if (ini.has_value) {
    ini.value = ini.upper.substr(eq + 1);
    ini.original_value = ini.original.substr(eq + 1);
  }
  apply_ini_directive(d, ini);
  return true;
}

}  // namespace mailsift
