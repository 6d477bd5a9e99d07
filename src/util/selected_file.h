// A file chosen for the report, as it flows from a source (the walk or the
// file list) through the scanner to the sink that writes its row.
#pragma once

#include <cstdint>
#include <string>

#include "platform/platform.h"
#include "util/stop.h"

namespace mailsift {

// The modification time the row shows: local or UTC calendar fields.
struct ModTime {
  std::int32_t year = 0;
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
};

struct SelectedFile {
  std::uint64_t sequence = 0;  // position in report order, from 0
  std::string path;            // the stored path (directory and name)
  std::int64_t size = 0;
  ModTime modified;
  std::uint64_t write_time = 0;  // the same time as a file time (100 ns since 1601, UTC)
  // Open for reading (the scanner reads and closes it), or closed: not a
  // regular file, or one that could not be opened.
  platform::File file;
  // A directory named in a file list: it gets a row but is not counted as a
  // file.
  bool is_directory = false;
  // A regular file that could not be opened, and why.
  bool open_failed = false;
  std::string error_text;
  // Not a file: a directory of the walk that could not be read (`path` is
  // the directory, `error_text` why). It travels in report order like a file
  // so that its warning comes out in its place; it has no row.
  bool unreadable_directory = false;
};

// Receives the selected files in report order. A source stops when it is
// told to. The consumer may take `file.file` and swap the strings out (the
// source refills them for the next file); a handle left there is closed when
// the source sets the next file.
class FileConsumer {
 public:
  virtual ~FileConsumer() = default;
  virtual Stop accept(SelectedFile& file) = 0;
};

}  // namespace mailsift
