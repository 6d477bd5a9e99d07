#include "walk/file_list.h"

#include <string>

#include "walk/dispatch.h"
#include "util/text_reader.h"
#include "platform/platform.h"
#include "app/run_context.h"
#include "app/terminate.h"

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

void dispatch_listed_path(RunContext& ctx, const std::string& path) {
  std::string absolute;
  if (!platform::make_absolute(path, absolute)) return;
  std::string dir_path, name;
  platform::split_path(absolute, dir_path, name);
  if (name.empty()) return;
  int dir = ctx.fs->open_directory(dir_path);
  if (dir < 0) return;
  // The dispatch looks the name up and passes over the run's own report and
  // log, also when they are listed.
  dispatch_file(ctx, dir, dir_path, name, nullptr);
  ctx.fs->close_directory(dir);
}

}  // namespace

void read_file_list(RunContext& ctx) {
  if (ctx.file_list < 0) return;
  HandleSource source(ctx.file_list);
  TextReader reader;
  reader.reset(&source);
  std::string line;
  line.reserve(kListLineLimit);
  for (;;) {
    if (platform::interrupted()) terminate_run(ctx, kUserAborted);
    if (!reader.read_line(line, kListLineLimit)) break;
    // The length as text: a NUL ends it. An empty line ends the list.
    std::size_t text_length = line.find('\0');
    if (text_length == std::string::npos) text_length = line.size();
    if (text_length < 2) break;
    path_of_line(line);
    if (line.empty()) continue;
    dispatch_listed_path(ctx, line);
  }
}

}  // namespace mailsift
