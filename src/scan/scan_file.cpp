#include "scan/scan_file.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "util/text_reader.h"

namespace mailsift {

namespace {

// A message file the walk saw at `size` bytes. A read that comes back short
// once that many bytes are in has met the end of the file, so the source
// says so at once instead of asking the system again. The bytes read before
// the scan come first. The digests asked for are fed every byte as it is
// read, before any text-mode translation, so that the file is read once and
// hashed whole.
class MessageFileSource : public FailingSource {
 public:
  MessageFileSource(platform::File& file, std::int64_t size, FileHead head,
                    platform::DigestSet* digests)
      : file_(file),
        left_(size - static_cast<std::int64_t>(head.bytes.size())),
        head_(head.bytes),
        digests_(digests),
        at_end_(head.whole) {}
  std::size_t read(char* buffer, std::size_t n) override {
    std::size_t got = 0;
    if (!head_.empty()) {
      got = std::min(n, head_.size());
      std::memcpy(buffer, head_.data(), got);
      head_.remove_prefix(got);
    } else if (!at_end_ && !failed()) {
      got = take(file_.read(buffer, n));
      left_ -= static_cast<std::int64_t>(got);
      if (got < n && left_ <= 0) at_end_ = true;
    }
    if (digests_ != nullptr && got > 0) digests_->update(buffer, got);
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
  platform::File& file_;
  std::int64_t left_;
  std::string_view head_;
  platform::DigestSet* digests_;
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

// Starts the digests `request` asks for on a new file or message; null when
// none is asked for. False (with the reason) when the system cannot compute
// one.
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

// What was read of the own header block is decoded also when the message
// was cut short; a file not opened has none.
void decode_fields(ScanWorkspace& ws, const ScanOptions& options, MessageRecord& record) {
  if (options.decode_fields) {
    ws.field_decoder.decode(ws.own_header, record.path, record.write_time, record.decoded);
  }
}

// The stop status of a filled record.
Stop ending(MessageRecord& record, bool whole) {
  if (record.outcome == ReadOutcome::kReadFailed) return Stop::kReadError;
  if (!whole) {
    record.outcome = ReadOutcome::kInterrupted;
    return Stop::kInterrupted;
  }
  return Stop::kNone;
}

}  // namespace

Stop scan_file(ScanWorkspace& ws, SelectedFile& file,
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
  if (file.file.is_open()) {
    platform::DigestSet* digests = nullptr;
    if (!start_digests(ws.digests, options.digests, digests)) {
      record.outcome = ReadOutcome::kReadFailed;
      record.read_error.assign(ws.digests.error_text());
    }
    MessageFileSource source(file.file, file.size, head, digests);
    whole = scan_message(ws, &source, options, record.fields, interrupted);
    // A file is hashed whole or not at all: read to its end what the scan
    // left, unless an interrupt cut the scan short.
    if (digests != nullptr && whole) source.read_rest(ws.rest);
    file.file.close();
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
  decode_fields(ws, options, record);
  return ending(record, whole);
}

Stop scan_archive_message(ScanWorkspace& ws, const SelectedFile& archive,
                          const ArchivePlace& place, MessagePieces& pieces,
                          const ScanOptions& options, MessageRecord& record,
                          InterruptCheck interrupted) {
  record.take_facts(archive);
  record.mbox_message = place.number;
  record.mbox_offset = static_cast<std::int64_t>(place.separator);
  platform::DigestSet* digests = nullptr;
  if (!start_digests(ws.digests, options.digests, digests)) {
    record.outcome = ReadOutcome::kReadFailed;
    record.read_error.assign(ws.digests.error_text());
  }
  PieceSource source(pieces, digests);
  const bool whole = scan_message(ws, &source, options, record.fields, interrupted);
  // A Ctrl-Z ends the scan, not the message: the digests and the size take
  // its bytes to the end. An interrupted scan reads no further.
  if (whole) source.drain();
  record.size = place.size >= 0 ? place.size : static_cast<std::int64_t>(source.taken());
  if (pieces.failed()) {
    record.outcome = ReadOutcome::kReadFailed;
    record.read_error.assign(pieces.error_text());
  } else if (digests != nullptr && whole) {
    record.digests_whole = digests->finish(record.digests);
  }
  decode_fields(ws, options, record);
  return ending(record, whole);
}

}  // namespace mailsift
