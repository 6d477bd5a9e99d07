// Where each file's texts go, in report order: its progress line (and
// warning) to the console, its row to the report.
#pragma once

#include <cstdint>
#include <string_view>

#include "report/message_formatter.h"
#include "util/out_stream.h"
#include "util/stop.h"

namespace mailsift {

// The rows written for messages of mbox archives, and the archives they
// came from.
struct ArchiveCounts {
  std::int64_t messages = 0;
  std::int64_t archives = 0;
};

class RowSink {
 public:
  // `file_count` counts the rows written for files (directories named in a
  // file list get rows too, but are not files); a message of an archive
  // counts as a file, and in `archives` too when given.
  RowSink(OutStream& report, OutStream& progress, std::int32_t& file_count,
          ArchiveCounts* archives = nullptr)
      : report_(report), progress_(progress), file_count_(file_count), archives_(archives) {}

  // A file's progress line, written before its warning and row.
  void write_progress(std::string_view progress) { progress_.write(progress); }
  // Writes out the console text held so far: before a wait or a long scan.
  void flush_progress() { progress_.flush(); }

  // The rest of a file's texts, once its progress line is written. kWriteError
  // once the report cannot be written completely.
  Stop write_row(const MessageTexts& texts, bool is_directory);

  // All of a file's texts.
  Stop write(std::string_view progress, const MessageTexts& texts, bool is_directory) {
    write_progress(progress);
    return write_row(texts, is_directory);
  }

 private:
  OutStream& report_;
  OutStream& progress_;
  std::int32_t& file_count_;
  ArchiveCounts* archives_;
};

}  // namespace mailsift
