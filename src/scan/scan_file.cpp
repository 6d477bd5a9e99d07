#include "scan/scan_file.h"

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

}  // namespace

Stop scan_file(ScanWorkspace& ws, platform::FileSystem& fs, SelectedFile& file,
               const ScanOptions& options, MessageRecord& record, InterruptCheck interrupted) {
  record.take_facts(file);
  if (file.unreadable_directory) {
    record.fields.clear();
    record.outcome = ReadOutcome::kUnreadableDirectory;
    record.read_error.assign(file.error_text);
    return Stop::kReadError;
  }
  // A file that cannot be opened still gets its whole record, an empty one.
  bool whole = true;
  if (file.file >= 0) {
    MessageFileSource source(fs, file.file, file.size);
    whole = scan_message(ws, &source, options, record.fields, interrupted);
    fs.close_file(file.file);
    file.file = -1;
    if (source.failed()) {
      record.outcome = ReadOutcome::kReadFailed;
      record.read_error.assign(source.error_text());
    }
  } else {
    whole = scan_message(ws, nullptr, options, record.fields, interrupted);
    if (file.open_failed) {
      record.outcome = ReadOutcome::kReadFailed;
      record.read_error.assign(file.error_text);
    }
  }
  // What was read of the own header block is decoded also when the message
  // was cut short; a file not opened has none.
  if (options.decode_fields) {
    ws.field_decoder.decode(ws.own_header, record.path, record.write_time, record.decoded);
  }
  if (record.outcome == ReadOutcome::kReadFailed) return Stop::kReadError;
  if (!whole) {
    record.outcome = ReadOutcome::kInterrupted;
    return Stop::kInterrupted;
  }
  return Stop::kNone;
}

}  // namespace mailsift
