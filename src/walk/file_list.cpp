// File-list mode: the messages to report are listed in a text file.
#include <string>

#include "platform/platform.h"
#include "util/text_reader.h"
#include "walk/dispatch.h"
#include "walk/walk.h"

namespace mailsift {

namespace {

// A list line is read up to its line feed or this many bytes less one.
constexpr std::size_t kListLineLimit = 32768;

// The path a list line names: text up to a NUL, without its line feed, cut at
// the first "|", trailing line ends and spaces removed (never the first
// character). Empty for a line that begins with "|".
void path_of_line(std::string& line) {
  std::size_t nul = line.find('\0');
  if (nul != std::string::npos) line.resize(nul);
  if (!line.empty() && line.back() == '\n') line.pop_back();
  std::size_t bar = line.find('|');
  if (bar != std::string::npos) line.resize(bar);
  while (line.size() > 1 && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
    line.pop_back();
  }
}

Stop dispatch_listed_path(WalkContext& walk, const std::string& path) {
  std::string absolute;
  if (!platform::make_absolute(path, absolute)) return Stop::kNone;
  std::string dir_path, name;
  platform::split_path(absolute, dir_path, name);
  if (name.empty()) return Stop::kNone;
  const platform::Directory dir = platform::open_directory(walk.fs, dir_path);
  if (!dir.is_open()) return Stop::kNone;
  // The dispatch looks the name up and passes over the run's own report and
  // log, also when they are listed.
  return dispatch_file(walk, dir, dir_path, name, nullptr);
}

}  // namespace

Stop read_file_list(WalkContext& walk, platform::File& list) {
  if (!list.is_open()) return Stop::kNone;
  FileSource source(list);
  TextReader reader;
  reader.reset(&source);
  std::string line;
  line.reserve(kListLineLimit);
  for (;;) {
    if (platform::interrupted()) return Stop::kInterrupted;
    if (!reader.read_line(line, kListLineLimit)) break;
    // The length as text: a NUL ends it. An empty line ends the list.
    std::size_t text_length = line.find('\0');
    if (text_length == std::string::npos) text_length = line.size();
    if (text_length < 2) break;
    path_of_line(line);
    if (line.empty()) continue;
    const Stop stop = dispatch_listed_path(walk, line);
    if (stop != Stop::kNone) return stop;
  }
  if (!source.failed()) return Stop::kNone;
  walk.list_error = source.error_text();
  return Stop::kReadError;
}

}  // namespace mailsift
