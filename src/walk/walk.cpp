// The depth-first walk: a directory's subdirectories first, then its own
// files, pattern by pattern, in name order.
//
// Every directory on the descent path stays open and everything below it is
// reached relative to it, so the depth of a tree is not limited by the
// longest path the system accepts. Each directory is listed once and each of
// its entries looked at once; only the entries of the directories on the
// current descent path are held in memory.
#include "walk/walk.h"

#include <algorithm>
#include <vector>

#include "util/characters.h"
#include "walk/dispatch.h"
#include "walk/match_pattern.h"
#include "walk/roots.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "app/run_context.h"
#include "app/terminate.h"

namespace mailsift {

namespace {

struct Entry {
  std::string name;
  platform::EntryInfo info;
};

// The identities of the directories being walked, root first.
using DescentPath = std::vector<platform::FileIdentity>;

bool on_path(const DescentPath& path, const platform::FileIdentity& id) {
  return std::find(path.begin(), path.end(), id) != path.end();
}

// Lists an open directory and looks at each entry once. Entries that are not
// regular files, directories or dangling links are left out: they hold no
// saved message and opening one can block.
bool read_entries(RunContext& ctx, int dir, std::vector<Entry>& entries) {
  std::vector<std::string> names;
  if (!ctx.fs->list_directory(dir, names)) return false;
  entries.reserve(names.size());
  for (std::string& name : names) {
    Entry entry;
    if (!ctx.fs->stat_entry(dir, name, entry.info)) continue;
    if (entry.info.type == platform::EntryType::kOther) continue;
    entry.name = std::move(name);
    entries.push_back(std::move(entry));
  }
  return true;
}

// Esc or Ctrl-C typed at the terminal ends the run like an interrupt. The
// terminal is polled for each entry a file search hands out.
void check_abort_key(RunContext& ctx) {
  if (platform::abort_key_pressed()) terminate_run(ctx, kUserAborted);
}

// max_level is the depth limit plus one; 0 means no limit.
bool within_depth_limit(const RunContext& ctx) {
  return ctx.settings.max_level == 0 || ctx.walk_depth < ctx.settings.max_level;
}

void count_file(RunContext& ctx, const std::string& dir_path, const Entry& entry) {
  ++ctx.pre_count;
  ctx.pre_bytes += entry.info.size;
  if (ctx.settings.auto_width == 0) return;
  const std::size_t length = count_characters(dir_path) + count_characters(entry.name);
  if (length > ctx.longest_path) ctx.longest_path = static_cast<std::uint32_t>(length);
}

// The files of one directory, one pass over its entries per name pattern.
void scan_directory_files(RunContext& ctx, int dir, const std::string& dir_path,
                          const std::vector<Entry>& entries) {
  const bool counting = ctx.counting_flag && ctx.settings.output_mode != 0;
  for (const std::string& pattern : ctx.lists.name_patterns) {
    // A pattern beginning with "-" ends the list, as an empty slot does.
    if (pattern.empty() || pattern[0] == '-') break;
    for (const Entry& entry : entries) {
      check_interrupt(ctx);
      if (!match_name_pattern(pattern, entry.name)) continue;
      check_abort_key(ctx);
      if (entry.info.type == platform::EntryType::kDirectory) continue;
      if (ctx.is_skipped(entry.info)) continue;
      if (counting) {
        count_file(ctx, dir_path, entry);
        continue;
      }
      if (ctx.settings.exclusions_on != 0 && is_excluded(ctx, entry.name)) continue;
      dispatch_file(ctx, dir, dir_path, entry.name, &entry.info);
    }
  }
}

// Closes a directory handle when its walk ends, also when the run ends
// inside it.
class OpenDirectory {
 public:
  OpenDirectory(platform::FileSystem& fs, int handle) : fs_(fs), handle_(handle) {}
  OpenDirectory(const OpenDirectory&) = delete;
  OpenDirectory& operator=(const OpenDirectory&) = delete;
  ~OpenDirectory() { fs_.close_directory(handle_); }
  int handle() const { return handle_; }

 private:
  platform::FileSystem& fs_;
  int handle_;
};

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

// Walks the open directory `handle` (closed here) at `dir_path`.
void walk_open_directory(RunContext& ctx, int handle, const std::string& dir_path,
                         DescentPath& descent) {
  const OpenDirectory open(*ctx.fs, handle);
  const int dir = open.handle();
  platform::FileIdentity id;
  if (!ctx.fs->directory_identity(dir, id)) return;
  // A directory link that leads back to a directory being walked is counted
  // by its parent but not entered again, or the walk would never end.
  if (on_path(descent, id)) return;
  std::vector<Entry> entries;
  if (!read_entries(ctx, dir, entries)) return;
  const DescentStep step(descent, id);
  if (ctx.settings.recurse == 0) {
    if (!ctx.counting_flag) ++ctx.dir_count;
  } else {
    for (const Entry& entry : entries) {
      check_interrupt(ctx);
      if (entry.info.type != platform::EntryType::kDirectory) continue;
      if (!ctx.counting_flag) ++ctx.dir_count;
      ++ctx.walk_depth;
      if (within_depth_limit(ctx)) {
        const int child = ctx.fs->open_subdirectory(dir, entry.name);
        if (child >= 0) walk_open_directory(ctx, child, dir_path + entry.name + platform::kSeparator, descent);
      }
      --ctx.walk_depth;
    }
  }
  scan_directory_files(ctx, dir, dir_path, entries);
}

}  // namespace

void walk_directory(RunContext& ctx, const std::string& dir_path) {
  ++ctx.walk_depth;
  if (within_depth_limit(ctx)) {
    const int dir = ctx.fs->open_directory(dir_path);
    if (dir >= 0) {
      DescentPath descent;
      walk_open_directory(ctx, dir, dir_path, descent);
    }
  }
  --ctx.walk_depth;
}

}  // namespace mailsift
