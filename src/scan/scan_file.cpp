#include "scan/scan_file.h"

#include "platform/path_syntax.h"
#include "scan/message_scanner.h"
#include "scan/structured_rows.h"
#include "util/count_format.h"
#include "util/text_reader.h"

namespace mailsift {

namespace {

// A message file the walk saw at `size` bytes. A read that comes back short
// once that many bytes are in has met the end of the file, so the source
// says so at once instead of asking the system again.
class MessageFileSource : public FailingSource {
 public:
  MessageFileSource(platform::FileSystem& fs, int file, std::int64_t size)
      : fs_(fs), file_(file), left_(size) {}
  std::size_t read(char* buffer, std::size_t n) override {
    if (at_end_ || failed()) return 0;
    const std::size_t got = take(fs_.read_file(file_, buffer, n));
    left_ -= static_cast<std::int64_t>(got);
    if (got < n && left_ <= 0) at_end_ = true;
    return got;
  }

 private:
  platform::FileSystem& fs_;
  int file_;
  std::int64_t left_;
  bool at_end_ = false;
};

void build_warning(std::string& warning, std::string_view what, std::string_view shown,
                   const std::string& reason) {
  warning.assign("\ncan't read ");
  warning.append(what);
  warning.append(" ");
  warning.append(shown);
  warning.append(" (");
  warning.append(reason);
  warning.append(")");
}

}  // namespace

// "\n%s   %11s Bytes", built in a reused buffer.
void build_progress_line(std::string& progress, const SelectedFile& file) {
  // A directory that could not be read has its warning only.
  if (file.unreadable_directory) {
    progress.clear();
    return;
  }
  char digits[kGroupedNumberSize];
  const std::string_view bytes = format_bytes(file.size, digits);
  progress.assign("\n");
  progress.append(platform::display_path(file.path));
  progress.append("   ");
  if (bytes.size() < 11) progress.append(11 - bytes.size(), ' ');
  progress.append(bytes);
  progress.append(" Bytes");
}

Stop scan_file(ScanWorkspace& ws, platform::FileSystem& fs, SelectedFile& file, RowFormat format,
               InterruptCheck interrupted) {
  const std::string_view shown = platform::display_path(file.path);
  if (file.unreadable_directory) {
    // Only its warning: no progress line, no row.
    ws.row.clear();
    build_warning(ws.warning, "directory", shown, file.error_text);
    return Stop::kReadError;
  }
  // A structured format is made from the plain row and where its columns
  // start.
  const bool structured = format.style != RowStyle::kDelimited;
  const RowStyle style = format.style;
  if (structured) format = RowFormat{};
  std::string& row = structured ? ws.plain : ws.row;
  ColumnStarts* starts = structured ? &ws.starts : nullptr;
  row.clear();
  write_row_start(row, format, shown, file.size, file.modified, starts);
  ws.warning.clear();

  // A file that cannot be opened still gets its whole row, from the empty
  // record.
  bool whole = true;
  Stop stop = Stop::kNone;
  if (file.file >= 0) {
    MessageFileSource source(fs, file.file, file.size);
    whole = scan_message_text(ws, &source, format, interrupted, row, starts);
    fs.close_file(file.file);
    file.file = -1;
    if (source.failed()) {
      build_warning(ws.warning, "file", shown, source.error_text());
      stop = Stop::kReadError;
    }
  } else {
    whole = scan_message_text(ws, nullptr, format, interrupted, row, starts);
    if (file.open_failed) {
      build_warning(ws.warning, "file", shown, file.error_text);
      stop = Stop::kReadError;
    }
  }
  if (structured) {
    ws.row.clear();
    append_structured_row(ws.row, style, row, ws.starts);
  }
  if (stop == Stop::kNone && !whole) stop = Stop::kInterrupted;
  return stop;
}

}  // namespace mailsift
