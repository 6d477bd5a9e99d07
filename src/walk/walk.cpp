// The depth-first walk: a directory's subdirectories first, then its own
// files, pattern by pattern, in name order.
//
// Every directory on the descent path stays open and everything below it is
// reached relative to it, so the depth of a tree is not limited by the
// longest path the system accepts. Each directory is listed once. An entry
// is looked at while its directory is read, except a file the listing calls
// regular: that one is looked at when a pattern selects it, in the same step
// as opening it. Only the entries of the directories on the current descent
// path are held in memory.
#include "walk/walk.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/characters.h"
#include "walk/dispatch.h"
#include "walk/match_pattern.h"

namespace mailsift {

namespace {

struct Entry {
  std::string name;
  platform::EntryInfo info;
  // A regular file by the listing's word, not looked at yet: its facts are
  // taken when it is selected, together with opening it.
  bool facts_pending = false;
};

// The identities of the directories being walked, root first.
using DescentPath = std::vector<platform::FileIdentity>;

bool on_path(const DescentPath& path, const platform::FileIdentity& id) {
  return std::find(path.begin(), path.end(), id) != path.end();
}

// Lists an open directory. Entries that are not regular files, directories
// or dangling links are left out: they hold no saved message and opening one
// can block. Each other entry is looked at once, here, or for an entry the
// listing names a regular file, when it is selected.
bool read_entries(WalkContext& walk, const platform::Directory& dir, std::vector<Entry>& entries) {
  std::vector<platform::ListedEntry> listed;
  if (!walk.fs.list_entries(dir.handle(), listed)) return false;
  entries.reserve(listed.size());
  for (platform::ListedEntry& item : listed) {
    if (item.type == platform::ListedType::kOther) continue;
    Entry entry;
    if (item.type == platform::ListedType::kRegular) {
      entry.info.type = platform::EntryType::kRegular;
      entry.facts_pending = true;
    } else {
      if (!walk.fs.stat_entry(dir.handle(), item.name, entry.info)) continue;
      if (entry.info.type == platform::EntryType::kOther) continue;
    }
    entry.name = std::move(item.name);
    entries.push_back(std::move(entry));
  }
  return true;
}

// The facts of a selected entry, looked at now if the listing deferred it
// (opening the file in the same step where that is cheaper). False, with
// nothing left open, for one of the run's own files and for an entry that is
// gone or no longer a file, as if the listing had left it out.
bool entry_facts(WalkContext& walk, const platform::Directory& dir, const Entry& entry,
                 bool counting, platform::EntryInfo& info, platform::File& opened) {
  bool usable = true;
  if (!entry.facts_pending) {
    info = entry.info;
  } else {
    usable = counting ? walk.fs.stat_entry(dir.handle(), entry.name, info)
                      : platform::look_at_regular(walk.fs, dir, entry.name, info, opened);
    usable = usable && (info.type == platform::EntryType::kRegular ||
                        info.type == platform::EntryType::kDangling);
  }
  if (usable && !is_skipped(walk, info)) return true;
  opened.close();
  return false;
}

// A directory the walk found but could not open, look at or list (asked
// right after the call that failed): its warning goes to the consumer in walk
// order, in the place its files would have taken. One that is gone, or on a
// kernel file system, is passed over silently, and so is every directory in
// the counting pass, so that each warning is written once.
Stop report_unreadable(WalkContext& walk, const std::string& dir_path) {
  if (walk.consumer == nullptr) return Stop::kNone;
  SelectedFile& notice = walk.selected;
  if (walk.fs.directory_failure(notice.error_text) != platform::DirectoryFailure::kUnreadable) {
    return Stop::kNone;
  }
  notice.unreadable_directory = true;
  notice.is_directory = true;  // no file to count
  notice.path.assign(dir_path);
  platform::drop_trailing_separator(notice.path);
  notice.size = 0;
  notice.modified = ModTime{};
  notice.file.close();
  notice.open_failed = false;
  const Stop stop = walk.consumer->accept(notice);
  ++notice.sequence;
  notice.unreadable_directory = false;
  notice.is_directory = false;
  return stop;
}

// Esc or Ctrl-C typed at the terminal ends the run like an interrupt. The
// terminal is polled for each entry a file search hands out.
bool abort_key_pressed() {
  if (!platform::abort_key_pressed()) return false;
  platform::set_interrupted(true);
  return true;
}

bool within_depth_limit(const WalkContext& walk) {
  const std::optional<std::int32_t>& limit = walk.options.depth_limit;
  return !limit || walk.depth < *limit;
}

void count_file(WalkContext& walk, const std::string& dir_path, const std::string& name,
                std::int64_t size) {
  WalkCounts& counts = walk.counts;
  ++counts.pre_count;
  counts.pre_bytes += size;
  if (!walk.measure_paths) return;
  const std::size_t length = count_characters(dir_path) + count_characters(name);
  if (length > counts.longest_path) counts.longest_path = static_cast<std::uint32_t>(length);
}

// The files of one directory, one pass over its entries per name pattern.
Stop scan_directory_files(WalkContext& walk, const platform::Directory& dir,
                          const std::string& dir_path,
                          const std::vector<Entry>& entries) {
  const bool counting = walk.consumer == nullptr;
  const bool exclusions_on = walk.options.exclusions_on;
  for (const std::string& pattern : walk.lists.name_patterns) {
    // A pattern beginning with "-" ends the list, as an empty slot does.
    if (pattern.empty() || pattern[0] == '-') break;
    for (const Entry& entry : entries) {
      if (platform::interrupted()) return Stop::kInterrupted;
      if (!match_name_pattern(pattern, entry.name)) continue;
      if (abort_key_pressed()) return Stop::kInterrupted;
      if (entry.info.type == platform::EntryType::kDirectory) continue;
      if (!counting && exclusions_on && is_excluded(walk.lists.exclusions, entry.name)) continue;
      platform::EntryInfo info;
      platform::File opened;
      if (!entry_facts(walk, dir, entry, counting, info, opened)) continue;
      if (counting) {
        count_file(walk, dir_path, entry.name, info.size);
        continue;
      }
      const Stop stop = dispatch_file(walk, dir, dir_path, entry.name, &info, std::move(opened));
      if (stop != Stop::kNone) return stop;
    }
  }
  return Stop::kNone;
}

// Keeps a directory's identity on the descent path while it is walked.
class DescentStep {
 public:
  DescentStep(DescentPath& path, const platform::FileIdentity& id) : path_(path) {
    path_.push_back(id);
  }
  DescentStep(const DescentStep&) = delete;
  DescentStep& operator=(const DescentStep&) = delete;
  ~DescentStep() { path_.pop_back(); }

 private:
  DescentPath& path_;
};

// Walks the open directory `dir` (closed when its walk ends) at `dir_path`.
Stop walk_open_directory(WalkContext& walk, const platform::Directory dir,
                         const std::string& dir_path, DescentPath& descent) {
  platform::FileIdentity id;
  if (!walk.fs.directory_identity(dir.handle(), id)) return report_unreadable(walk, dir_path);
  // A directory link that leads back to a directory being walked is counted
  // by its parent but not entered again, or the walk would never end.
  if (on_path(descent, id)) return Stop::kNone;
  std::vector<Entry> entries;
  if (!read_entries(walk, dir, entries)) return report_unreadable(walk, dir_path);
  const DescentStep step(descent, id);
  const bool counting = walk.consumer == nullptr;
  if (!walk.options.recurse) {
    if (!counting) ++walk.counts.dir_count;
  } else {
    for (const Entry& entry : entries) {
      if (platform::interrupted()) return Stop::kInterrupted;
      if (entry.info.type != platform::EntryType::kDirectory) continue;
      if (!counting) ++walk.counts.dir_count;
      ++walk.depth;
      Stop stop = Stop::kNone;
      if (within_depth_limit(walk)) {
        platform::Directory child = platform::open_subdirectory(walk.fs, dir, entry.name);
        const std::string child_path = dir_path + entry.name + platform::kSeparator;
        stop = child.is_open() ? walk_open_directory(walk, std::move(child), child_path, descent)
                               : report_unreadable(walk, child_path);
      }
      --walk.depth;
      if (stop != Stop::kNone) return stop;
    }
  }
  return scan_directory_files(walk, dir, dir_path, entries);
}

}  // namespace

Stop walk_directory(WalkContext& walk, const std::string& dir_path) {
  Stop stop = Stop::kNone;
  ++walk.depth;
  if (within_depth_limit(walk)) {
    platform::Directory dir = platform::open_directory(walk.fs, dir_path);
    if (dir.is_open()) {
      DescentPath descent;
      stop = walk_open_directory(walk, std::move(dir), dir_path, descent);
    } else {
      stop = report_unreadable(walk, dir_path);
    }
  }
  --walk.depth;
  return stop;
}

}  // namespace mailsift
