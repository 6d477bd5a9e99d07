#include "app/accounting_log.h"

#include <cstdint>
#include <vector>

#include "app/pause.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/time_zone.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/count_format.h"

namespace mailsift {

namespace {

// Shown with the line number when the log cannot be prepared.
constexpr const char* kHelperModule = "Generic_u";
// The log is small per run; a modest buffer keeps its lines in order with the
// console without a write per line.
constexpr std::size_t kLogBufferSize = 8192;
constexpr std::size_t kTrimChunk = 64 * 1024;
constexpr std::int64_t kTrimMinimum = 10;

bool is_fill_byte(char c) {
  return c == '\0' || c == '\x1A';
}

}  // namespace

LogOpenResult open_accounting_log(RunContext& ctx, const std::string& name) {
  if (make_log_directory(ctx, name) == Stop::kInterrupted) return LogOpenResult::kInterrupted;
  if (!trim_log_file(ctx, name)) return LogOpenResult::kNotPrepared;
  int handle = platform::open_path(name, platform::OpenMode::kAppend);
  if (handle < 0) {
    ctx.console.messages().format("Can't open accounting file %s\n", name.c_str());
    return LogOpenResult::kNotOpened;
  }
  ctx.accounting_log.attach_handle(handle, kLogBufferSize, true);
  ctx.accounting_log.format("\n%.40s\n", "****************************************");
  return LogOpenResult::kOpened;
}

Stop make_log_directory(RunContext& ctx, const std::string& name) {
  std::string dir, file;
  platform::split_path(name, dir, file);
  if (dir.empty()) return Stop::kNone;
  // Without its trailing separator; a file-system root always exists.
  platform::drop_trailing_separator(dir);
  if (platform::is_directory(dir)) return Stop::kNone;
  OutStream& messages = ctx.console.messages();
  for (std::size_t i = 0; i < dir.size(); ++i) {
    if (!platform::is_separator(dir[i]) || i == 0) continue;
    std::string part = dir.substr(0, i);
    if (platform::is_separator(part.back()) || platform::path_exists(part)) continue;
    platform::make_directory(part);
    messages.format("Creating (log\\error) directory:  %s\n", part.c_str());
  }
  platform::make_directory(dir);
  messages.format("Creating (log) directory:  %s\n", dir.c_str());
  return wait_seconds(ctx.console, messages, 1) ? Stop::kInterrupted : Stop::kNone;
}

bool trim_log_file(RunContext& ctx, const std::string& name) {
  platform::File file(platform::open_path(name, platform::OpenMode::kReadWriteCreate));
  const int handle = file.handle();
  if (!file.is_open()) {
    ctx.console.err.format("\n%s\n%d\nerror opening %s\n", kHelperModule, __LINE__, name.c_str());
    return false;
  }
  const std::int64_t size = platform::handle_size(handle);
  char last = 0;
  // Only a file that ends in padding can need a cut; most logs end in a line
  // feed and are not read at all.
  if (size < kTrimMinimum || !platform::seek_handle(handle, size - 1) ||
      file.read(&last, 1) != 1 || !is_fill_byte(last) || !platform::seek_handle(handle, 0)) {
    return true;
  }
  // An earlier writer may have left NUL or Ctrl-Z padding at the end; the new
  // record goes right after the last text byte. Padding followed by text again
  // is not padding, and then nothing is cut.
  std::vector<char> chunk(kTrimChunk);
  std::int64_t position = 0;
  std::int64_t first_fill = -1;
  bool text_after_fill = false;
  for (;;) {
    const std::ptrdiff_t read = file.read(chunk.data(), chunk.size());
    // What could not be read cannot be judged padding: nothing is cut.
    if (read < 0) return true;
    if (read == 0) break;
    const std::size_t got = static_cast<std::size_t>(read);
    for (std::size_t i = 0; i < got; ++i) {
      if (is_fill_byte(chunk[i])) {
        if (first_fill < 0) first_fill = position + static_cast<std::int64_t>(i);
      } else if (first_fill >= 0) {
        text_after_fill = true;
        break;
      }
    }
    if (text_after_fill) break;
    position += static_cast<std::int64_t>(got);
  }
  if (first_fill >= 0 && !text_after_fill) platform::truncate_handle(handle, first_fill);
  return true;
}

void replace_accounting_log(RunContext& ctx, LogReplacedBy by, const std::string& new_path) {
  OutStream& log = ctx.accounting_log;
  if (!log.is_open()) return;
  switch (by) {
    case LogReplacedBy::kOption:
      log.write("This file closed.\n");
      log.format("Accounting file overridden by option -1 file pointing to %s\n", new_path.c_str());
      break;
    case LogReplacedBy::kIniFile:
      log.write("This file closed.\n");
      log.format("Accounting file overridden by .ini file pointing to %s\n", new_path.c_str());
      break;
    case LogReplacedBy::kLongOption:
      log.format("Previous log closed, and %s opened\n", new_path.c_str());
      break;
  }
  log.close();
}

void write_run_banner(RunContext& ctx) {
  OutStream& log = ctx.accounting_log;
  if (!log.is_open()) return;
  if (ctx.report_options.target == ReportTarget::kStandardOutput && ctx.run_options.quiet == 1) {
    return;
  }
  TimeZoneTexts zone = read_time_zone(ctx);
  log.write("\n Started ");
  if (!zone.standard_name.empty()) {
    log.format("%s GMT, ", zone.gmt_text.c_str());
    // hh:mm sits after the weekday, the month and the day.
    std::string clock_text = zone.local_text.size() > 11 ? zone.local_text.substr(11) : "";
    log.format("%.5s %s ", clock_text.c_str(), zone.standard_name.c_str());
    log.format("(%s/%s:%d)", zone.standard_abbreviation.c_str(), zone.daylight_abbreviation.c_str(),
               zone.offset_hours);
  } else {
    log.format("%s Local Time: ", zone.local_text.c_str());
  }
  log.write("\n");
  log.write(" Command Line: ");
  for (const std::string& arg : ctx.args) {
    log.write(arg);
    log.put(' ');
  }
  log.write("\n");
}

}  // namespace mailsift
