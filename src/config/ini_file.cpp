#include "config/ini_file.h"

#include <string>
#include <vector>

#include "config/ini_directives.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/ascii.h"
#include "util/text_reader.h"

namespace mailsift {

namespace {

// A line is read in pieces of at most 259 characters; each is a line.
constexpr std::size_t kIniLineLimit = 260;
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

// The next piece as text: cut at a NUL, one line feed removed.
bool next_line(TextReader& reader, std::string& line) {
  if (!reader.read_line(line, kIniLineLimit)) return false;
  std::size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  return true;
}

void read_directives(ConfigRun& run, TextReader& reader, bool shared, const std::string& header) {
  std::string line, upper;
  line.reserve(kIniLineLimit);
  upper.reserve(kIniLineLimit);
  if (shared) {
    for (;;) {
      if (!next_line(reader, line)) return;
      upper = line;
      upper_in_place(upper);
      if (upper.compare(0, header.size(), header) == 0) break;
    }
  }
  while (!run.stop && next_line(reader, line)) {
    upper = line;
    upper_in_place(upper);
    if (upper.empty()) continue;
    if (upper[0] == ';' || upper[0] == '#') continue;
    if (upper[0] == '[') {
      if (shared) return;
      continue;
    }
    if (shared && upper.find(header) != std::string::npos) return;
    IniLine ini;
    ini.upper = upper;
    ini.original = line;
    std::size_t eq = upper.find('=');
    ini.has_value = eq != std::string::npos;
    if (ini.has_value) {
      ini.value = ini.upper.substr(eq + 1);
      ini.original_value = ini.original.substr(eq + 1);
    }
    apply_ini_directive(run, ini);
  }
}

}  // namespace

void read_ini_file(ConfigRun& run, const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "-.ini") return;
  }
  const std::string exe = !args.empty() && !args[0].empty() && platform::is_separator(args[0][0])
                              ? args[0]
                              : platform::executable_path(args.empty() ? std::string() : args[0]);
  std::string exe_dir, exe_name;
  platform::split_path(exe, exe_dir, exe_name);
  const std::string base = base_name_of(exe);
  std::string header = "[" + base + "]";
  upper_in_place(header);

  IniPlace place;
  if (!find_ini_file(candidate_places(exe_dir, base), place)) return;
  int handle = platform::open_path(place.path, platform::OpenMode::kRead);
  if (handle < 0) {
    run.console.messages().write("\nCouldn't open .ini file\n");
    if (run.host.wait_for_key()) run.stop = ConfigStop::with_summary(kUserAborted);
    return;
  }
  HandleSource source(handle);
  TextReader reader(4096);
  reader.reset(&source);
  read_directives(run, reader, place.shared, header);
  platform::close_handle(handle);
}

}  // namespace mailsift
