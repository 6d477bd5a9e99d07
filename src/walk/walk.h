// The depth-first directory walk, its counting pass and the file list: the
// two sources of selected files.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "options/walk_options.h"
#include "platform/platform.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

struct WalkCounts {
  std::int32_t dir_count = 0;
  // Files whose rows were written (the row sink counts them, so that files
  // selected but never written are not).
  std::int32_t file_count = 0;
  // The counting pass: files to process, their bytes and the longest path.
  std::uint32_t pre_count = 0;
  std::int64_t pre_bytes = 0;
  std::uint32_t longest_path = 0;
};

// What one walk reads and where its files go. `consumer` is null in the
// counting pass, which only counts.
struct WalkContext {
  const WalkOptions& options;
  const RunLists& lists;
  platform::FileSystem& fs;
  const platform::Clock& clock;
  // Files never reported: the run's own report and log.
  const std::vector<platform::FileIdentity>& skip_set;
  WalkCounts& counts;
  FileConsumer* consumer = nullptr;
  bool measure_paths = false;  // counting pass: find the longest path

  int depth = 0;
  SelectedFile selected;  // reused for every file
  // Why the list file could not be read to its end (file-list mode).
  std::string list_error;
};

// Walks one root (stored form plus a trailing separator): subdirectories
// first, then the directory's own files for each name pattern.
Stop walk_directory(WalkContext& walk, const std::string& dir_path);

// Dispatches every path the open list file names, up to its first empty
// line. kReadError (with walk.list_error) when the list could not be read
// to its end: the files it names after that point are missing.
Stop read_file_list(WalkContext& walk, platform::File& list);

}  // namespace mailsift
