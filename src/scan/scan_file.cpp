#include "scan/scan_file.h"

#include <vector>

#include "util/text_reader.h"

namespace mailsift {

namespace {

// A message file the walk saw at `size` bytes. A read that comes back short
// once that many bytes are in has met the end of the file, so the source
// says so at once instead of asking the system again. The digests asked for
// are fed every byte as it is read, before any text-mode translation, so
// that the file is read once and hashed whole.
class MessageFileSource : public FailingSource {
 public:
  MessageFileSource(platform::FileSystem& fs, int file, std::int64_t size,
                    platform::DigestSet* digests)
      : fs_(fs), file_(file), left_(size), digests_(digests) {}
  std::size_t read(char* buffer, std::size_t n) override {
    if (at_end_ || failed()) return 0;
    const std::size_t got = take(fs_.read_file(file_, buffer, n));
    if (digests_ != nullptr && got > 0) digests_->update(buffer, got);
    left_ -= static_cast<std::int64_t>(got);
    if (got < n && left_ <= 0) at_end_ = true;
    return got;
  }

  // Reads to the end what the scan left unread (after a Ctrl-Z), for the
  // digests only.
  void read_rest(std::vector<char>& buffer) {
    if (buffer.empty()) buffer.resize(kRestBufferSize);
    while (read(buffer.data(), buffer.size()) > 0) {
    }
  }

 private:
  static constexpr std::size_t kRestBufferSize = 1 << 16;
  platform::FileSystem& fs_;
  int file_;
  std::int64_t left_;
  platform::DigestSet* digests_;
  bool at_end_ = false;
};

// Starts the digests `request` asks for on a new file; null when none is
// asked for. False (with the reason) when the system cannot compute one.
bool start_digests(platform::DigestSet& set, const DigestRequest& request,
                   platform::DigestSet*& started) {
  started = nullptr;
  if (!request.any()) return true;
  platform::DigestRequest wanted;
  for (std::size_t i = 0; i < platform::kDigestKinds; ++i) {
    if (request.at(static_cast<int>(i))) wanted.add(static_cast<platform::DigestKind>(i));
  }
  if (set.request() == wanted) {
    set.reset();
  } else if (!set.select(wanted)) {
    return false;
  }
  started = &set;
  return true;
}

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
    platform::DigestSet* digests = nullptr;
    if (!start_digests(ws.digests, options.digests, digests)) {
      record.outcome = ReadOutcome::kReadFailed;
      record.read_error.assign(ws.digests.error_text());
    }
    MessageFileSource source(fs, file.file, file.size, digests);
    whole = scan_message(ws, &source, options, record.fields, interrupted);
    // A file is hashed whole or not at all: read to its end what the scan
    // left, unless an interrupt cut the scan short.
    if (digests != nullptr && whole) source.read_rest(ws.rest);
    fs.close_file(file.file);
    file.file = -1;
    if (source.failed()) {
      record.outcome = ReadOutcome::kReadFailed;
      record.read_error.assign(source.error_text());
    } else if (digests != nullptr && whole) {
      record.digests_whole = digests->finish(record.digests);
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
