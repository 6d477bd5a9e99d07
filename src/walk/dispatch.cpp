// The last step of selection for one file: its entry facts, the filters, the
// attribute change and the hand-over to the consumer.
#include "walk/dispatch.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "walk/age_filter.h"
#include "walk/file_times.h"
#include "walk/match_pattern.h"

namespace mailsift {

namespace {

// A listed name with "*" or "?" that names no file stands for the first
// entry of its directory, in listing order, that it matches as a name
// pattern. Gives false when there is none.
bool find_wildcard_entry(WalkContext& walk, const platform::Directory& dir,
                         const std::string& pattern, std::string& name, platform::EntryInfo& info) {
  if (pattern.find_first_of("*?") == std::string::npos) return false;
  std::vector<std::string> names;
  if (!walk.fs.list_directory(dir.handle(), names)) return false;
  for (std::string& candidate : names) {
    if (!match_name_pattern(pattern, candidate)) continue;
    if (!walk.fs.stat_entry(dir.handle(), candidate, info)) return false;
    name = std::move(candidate);
    return true;
  }
  return false;
}

// Opens a regular file for the scanner; anything else is reported from the
// empty record, as it always was. Only a regular file that cannot be opened
// is a read failure.
void open_selected(WalkContext& walk, const platform::Directory& dir, const std::string& name,
                   const platform::EntryInfo& info, platform::File& opened,
                   SelectedFile& selected) {
  selected.file = std::move(opened);
  selected.open_failed = false;
  selected.error_text.clear();
  if (selected.file.is_open() || info.type != platform::EntryType::kRegular) return;
  selected.file = platform::open_file(walk.fs, dir, name);
  if (selected.file.is_open()) return;
  selected.open_failed = true;
  selected.error_text = platform::last_error_text();
}

}  // namespace

bool is_skipped(const WalkContext& walk, const platform::EntryInfo& info) {
  const platform::FileIdentity id{info.device, info.inode};
  return std::find(walk.skip_set.begin(), walk.skip_set.end(), id) != walk.skip_set.end();
}

Stop dispatch_file(WalkContext& walk, const platform::Directory& dir, const std::string& dir_path,
                   const std::string& name, const platform::EntryInfo* known,
                   platform::File opened) {
  const WalkOptions& options = walk.options;
  platform::EntryInfo info;
  std::string found_name;
  if (known != nullptr) {
    info = *known;
  } else {
    if (!dir.is_open()) return Stop::kNone;
    if (!walk.fs.stat_entry(dir.handle(), name, info) &&
        !find_wildcard_entry(walk, dir, name, found_name, info)) {
      return Stop::kNone;
    }
    // FIFOs, sockets and devices hold no saved message, and reading one can
    // block; the run's own report and log are never reported either.
    if (info.type == platform::EntryType::kOther || is_skipped(walk, info)) return Stop::kNone;
  }
  const std::string& file_name = found_name.empty() ? name : found_name;

  if (!passes_age_filter(options.age, walk.clock, info)) return Stop::kNone;
  if (!passes_size_filter(options, info.size)) return Stop::kNone;

  const bool is_directory = info.type == platform::EntryType::kDirectory;
  const AttributeChange& change = options.attributes;
  if (change.on) {
    // Adding and then removing bits comes to one write of the final value;
    // a failure to write changes nothing here.
    const std::uint32_t attributes = (info.attributes | change.added) & ~change.removed;
    walk.fs.set_attributes(dir.handle(), file_name, attributes);
    info.attributes = attributes;
    if (change.directories_only && !is_directory) return Stop::kNone;
  }

  // The file is counted when its row is written.
  SelectedFile& selected = walk.selected;
  selected.unreadable_directory = false;
  selected.is_directory = is_directory;
  selected.path.assign(dir_path);
  selected.path.append(file_name);
  selected.size = info.size;
  selected.modified = modification_time(info, options.utc_times);
  selected.write_time = info.write_time;
  open_selected(walk, dir, file_name, info, opened, selected);
  const Stop stop = walk.consumer->accept(selected);
  ++selected.sequence;
  return stop;
}

}  // namespace mailsift
