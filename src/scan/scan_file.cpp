#include "scan/scan_file.h"

#include <algorithm>
#include <cstring>

#include "util/text_reader.h"

namespace mailsift {

namespace {

// A message file the walk saw at `size` bytes. A read that comes back short
// once that many bytes are in has met the end of the file, so the source
// says so at once instead of asking the system again. The bytes read before
// the scan come first.
class MessageFileSource : public FailingSource {
 public:
  MessageFileSource(platform::FileSystem& fs, int file, std::int64_t size, FileHead head)
      : fs_(fs),
        file_(file),
        left_(size - static_cast<std::int64_t>(head.bytes.size())),
        head_(head.bytes),
        at_end_(head.whole) {}
  std::size_t read(char* buffer, std::size_t n) override {
    if (!head_.empty()) {
      const std::size_t count = std::min(n, head_.size());
      std::memcpy(buffer, head_.data(), count);
      head_.remove_prefix(count);
      return count;
    }
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
  std::string_view head_;
  bool at_end_;
};

// A message's pieces as the reader's bytes, each piece fed to the digests
// (when asked for) as it is taken, and counted.
class PieceSource : public ByteSource {
 public:
  PieceSource(MessagePieces& pieces, platform::DigestSet* digests)
      : pieces_(pieces), digests_(digests) {}
  std::size_t read(char* buffer, std::size_t n) override {
    if (piece_.empty() && !take()) return 0;
    const std::size_t count = std::min(n, piece_.size());
    std::memcpy(buffer, piece_.data(), count);
    piece_.remove_prefix(count);
    return count;
  }
  // Takes the pieces the scan left, for the digests and the count.
  void drain() {
    piece_ = {};
    while (take()) piece_ = {};
  }
  std::uint64_t taken() const { return taken_; }

 private:
  bool take() {
    if (!pieces_.next(piece_)) return false;
    taken_ += piece_.size();
    if (digests_ != nullptr) digests_->update(piece_.data(), piece_.size());
    return true;
  }
  MessagePieces& pieces_;
  platform::DigestSet* digests_;
  std::string_view piece_;
  std::uint64_t taken_ = 0;
};

platform::DigestRequest platform_request(const DigestRequest& r) {
  return {r.crc32, r.md5, r.sha1, r.sha256, r.sha384, r.sha512};
}

}  // namespace

Stop scan_file(ScanWorkspace& ws, platform::FileSystem& fs, SelectedFile& file,
               const ScanOptions& options, MessageRecord& record, InterruptCheck interrupted,
               FileHead head) {
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
    MessageFileSource source(fs, file.file, file.size, head);
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
  if (record.outcome == ReadOutcome::kReadFailed) return Stop::kReadError;
  if (!whole) {
    record.outcome = ReadOutcome::kInterrupted;
    return Stop::kInterrupted;
  }
  return Stop::kNone;
}

Stop scan_archive_message(ScanWorkspace& ws, platform::DigestSet& digest_set,
                          const SelectedFile& archive, const ArchivePlace& place,
                          MessagePieces& pieces, const ScanOptions& options,
                          MessageRecord& record, InterruptCheck interrupted) {
  record.take_facts(archive);
  record.mbox_message = place.number;
  record.mbox_offset = static_cast<std::int64_t>(place.separator);
  const bool digests = options.digests.any() && digest_set.select(platform_request(options.digests));
  PieceSource source(pieces, digests ? &digest_set : nullptr);
  const bool whole = scan_message(ws, &source, options, record.fields, interrupted);
  // A Ctrl-Z ends the scan, not the message: the digests and the size take
  // its bytes to the end. An interrupted scan reads no further.
  if (whole) source.drain();
  record.size = place.size >= 0 ? place.size : static_cast<std::int64_t>(source.taken());
  if (pieces.failed()) {
    record.outcome = ReadOutcome::kReadFailed;
    record.read_error.assign(pieces.error_text());
  }
  if (digests) {
    if (whole && !pieces.failed()) {
      record.digests_whole = digest_set.finish(record.digests);
    } else {
      digest_set.reset();
    }
  }
  if (record.outcome == ReadOutcome::kReadFailed) return Stop::kReadError;
  if (!whole) {
    record.outcome = ReadOutcome::kInterrupted;
    return Stop::kInterrupted;
  }
  return Stop::kNone;
}

}  // namespace mailsift
