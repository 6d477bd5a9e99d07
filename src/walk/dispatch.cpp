// The last step of discovery for one file: its entry facts, the filters, the
// attribute change, the count and the hand-over to the message scanner.
#include "walk/dispatch.h"

#include <vector>

#include "walk/age_filter.h"
#include "walk/file_times.h"
#include "walk/match_pattern.h"
#include "scan/scan_message.h"
#include "app/run_context.h"

namespace mailsift {

namespace {

// A listed name with "*" or "?" that names no file stands for the first
// entry of its directory, in listing order, that it matches as a name
// pattern. Gives false when there is none.
bool find_wildcard_entry(RunContext& ctx, int dir, const std::string& pattern, std::string& name,
                         platform::EntryInfo& info) {
  if (pattern.find_first_of("*?") == std::string::npos) return false;
  std::vector<std::string> names;
  if (!ctx.fs->list_directory(dir, names)) return false;
  for (std::string& candidate : names) {
    if (!match_name_pattern(pattern, candidate)) continue;
    if (!ctx.fs->stat_entry(dir, candidate, info)) return false;
    name = std::move(candidate);
    return true;
  }
  return false;
}

}  // namespace

void dispatch_file(RunContext& ctx, int dir, const std::string& dir_path, const std::string& name,
                   const platform::EntryInfo* known) {
  const Settings& settings = ctx.settings;
  platform::EntryInfo info;
  std::string found_name;
  if (known != nullptr) {
    info = *known;
  } else {
    if (dir < 0) return;
    if (!ctx.fs->stat_entry(dir, name, info) &&
        !find_wildcard_entry(ctx, dir, name, found_name, info)) {
      return;
    }
    // FIFOs, sockets and devices hold no saved message, and reading one can
    // block; the run's own report and log are never reported either.
    if (info.type == platform::EntryType::kOther || ctx.is_skipped(info)) return;
  }
  const std::string& file_name = found_name.empty() ? name : found_name;

  const FileTimes times = fill_file_times(info, settings.zulu_time != 0);
  if (!passes_age_filter(ctx, info)) return;
  if (!passes_size_filter(settings, info.size)) return;

  const bool is_directory = info.type == platform::EntryType::kDirectory;
  if (settings.change_attributes != 0) {
    // Adding and then removing bits comes to one write of the final value;
    // a failure to write changes nothing here.
    const std::uint32_t attributes =
        (info.attributes | settings.attr_add_mask) & ~settings.attr_remove_mask;
    ctx.fs->set_attributes(dir, file_name, attributes);
    info.attributes = attributes;
    if (settings.dirsize_mode > 1 && !is_directory) return;
  }

  if (!is_directory) ++ctx.file_count;
  std::string& path = ctx.file_path;
  path.assign(dir_path);
  path.append(file_name);
  if (ctx.dispatch_hook) {
    ctx.dispatch_hook(path, info.size, times);
    return;
  }
  scan_message(ctx, dir, file_name, path, info.size, times);
}

}  // namespace mailsift
