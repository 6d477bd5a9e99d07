// Reading an mbox archive for the scan stages, once and in windows. The
// reading side feeds each window to the splitter and hands every message that
// lies whole in the windows on as a unit: a view of its bytes where they lie,
// no copy. A window is read into again only once no unit refers to it, and
// the windows together never hold more than a fixed budget, whatever the
// archive's size. A message too large for the windows is handed on piece by
// piece instead, read as it is scanned. Every read of an archive happens
// here, the first bytes of a file that may be one included.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "scan/scan_file.h"
#include "util/mbox_splitter.h"
#include "util/message_pieces.h"
#include "util/page_aligned.h"
#include "util/selected_file.h"

namespace mailsift {

// One buffer of archive bytes.
struct ArchiveWindow {
  PageAlignedBytes bytes;
  std::size_t size = 0;          // bytes read into it
  std::uint64_t offset = 0;      // the file offset of its first byte
  ArchiveWindow* next = nullptr;  // the window read after it, while both are in use
  // The units referring to it, and the reader itself while it needs it; the
  // window is free at 0. Units let go from any thread.
  std::atomic<int> holders{0};

  std::uint64_t end() const { return offset + size; }
};

// A message of the archive lying whole in the windows, or (first null) an
// empty one.
struct ArchiveUnit {
  std::uint32_t number = 0;  // from 1
  MboxMessage place;
  ArchiveWindow* first = nullptr;  // the window holding its first byte
  // The archive could not be read past the bytes the unit holds.
  bool read_failed = false;

  std::int64_t size() const { return static_cast<std::int64_t>(place.end - place.start); }
};

// The bytes of a unit, a piece per window; after the last, `failure` (the
// read error) when the unit was cut short by one.
class UnitPieces : public MessagePieces {
 public:
  UnitPieces(const ArchiveUnit& unit, std::string_view failure)
      : window_(unit.first), at_(unit.place.start), end_(unit.place.end),
        failed_(unit.read_failed), failure_(failure) {}
  bool next(std::string_view& piece) override;

 private:
  const ArchiveWindow* window_;
  std::uint64_t at_;
  std::uint64_t end_;
  bool failed_;
  std::string_view failure_;
};

// Lets go of the windows a unit holds; any thread, once its bytes are no
// longer needed. The unit then holds none.
void release_unit(ArchiveUnit& unit);

class ArchiveReader {
 public:
  // A file's first bytes, read to tell an archive from a message file.
  static constexpr std::size_t kHeadBytes = 16 << 10;

  // At most `window_count` (at least 2) windows of `window_size` bytes (at
  // least 8), made when first needed and kept.
  ArchiveReader(std::size_t window_size, std::size_t window_count);
  ~ArchiveReader();
  ArchiveReader(const ArchiveReader&) = delete;
  ArchiveReader& operator=(const ArchiveReader&) = delete;

  // Whether a selected file can be an archive worth a look: an open regular
  // file of at least five bytes.
  static bool may_be_archive(const SelectedFile& file);

  // Reads the first bytes of `file`. True when its first line begins with
  // "From ": the reader then owns its handle (taken from `file`) and next() gives its
  // messages. Else the bytes read are head() until the next open(), for the
  // file's scan, and the handle stays the file's.
  bool open(SelectedFile& file);
  FileHead head() const { return {std::string_view(head_.get(), head_size_), head_whole_}; }

  enum class Next {
    kMessage,  // `unit` is the next message; it holds its windows until released
    kNoWindow,  // every window is held, some by units: release one, then ask again
    // Every window holds the message being read, which is larger than they
    // are: once every unit is released, take it with long_message()
    kLongMessage,
    kEnd,  // no more messages; the archive is closed
  };
  Next next(ArchiveUnit& unit);

  // After kLongMessage: the message being read, delivered piece by piece as
  // the archive is read on. `unit` gets its number and separator at once,
  // its start and end when the pieces have ended; read_failed when the
  // archive could not be read to its end. The pieces hold until next().
  MessagePieces& long_message(ArchiveUnit& unit);

  // Why the archive could not be read to its end (after a unit with
  // read_failed).
  const std::string& error_text() const { return error_text_; }

  // Stops reading the archive early (an interrupt, a failed write) and
  // closes it; the windows units hold stay theirs.
  void close();

  // Windows made so far, and those free now (tests).
  std::size_t windows_made() const { return windows_.size(); }
  std::size_t windows_free() const;

 private:
  class LongPieces : public MessagePieces {
   public:
    explicit LongPieces(ArchiveReader& reader) : reader_(reader) {}
    bool next(std::string_view& piece) override { return reader_.long_piece(piece); }
    void fail_with(std::string_view why) { fail(why); }
    void restart() { clear_failure(); }

   private:
    ArchiveReader& reader_;
  };

  // A free window, made when fewer than the budget allows exist; null when
  // every one is held. The reader holds it.
  ArchiveWindow* take_window();
  static void let_go(ArchiveWindow* window);
  // Reads from the archive into `w` from its current size on, until it is
  // full, the archive ends or a read fails.
  void fill(ArchiveWindow& w);
  // Reads the next window and feeds it to the splitter: kNothing when
  // nothing more could be read (the end, or a read error).
  enum class Read { kFed, kNothing, kNoWindow };
  Read read_window();
  // Lets go of the windows that hold nothing from `offset` on.
  void let_go_before(std::uint64_t offset);
  // Where the bytes still needed begin: those of the message being read.
  std::uint64_t keep_from() const;
  // A unit for `message`, holding the windows its bytes lie in.
  void make_unit(const MboxMessage& message, ArchiveUnit& unit, bool read_failed);
  // The message being read when the archive cannot be read on: cut at the
  // bytes read.
  MboxMessage cut_message() const;
  bool long_piece(std::string_view& piece);
  // The long message has ended (its start and end in `message`).
  void end_long(const MboxMessage& message);
  void end_archive();

  std::size_t window_size_;
  std::size_t window_count_;
  std::vector<std::unique_ptr<ArchiveWindow>> windows_;
  // The windows the reader holds, oldest first: those with bytes of the
  // message being read, and the one fed last.
  std::vector<ArchiveWindow*> held_;

  PageAlignedBytes head_;
  std::size_t head_size_ = 0;
  bool head_whole_ = false;
  bool head_pending_ = false;  // the archive's first bytes, not yet in a window

  platform::File file_;
  std::int64_t file_size_ = 0;
  std::uint64_t read_ = 0;  // bytes read from the archive
  bool at_end_ = false;     // nothing more to read
  bool failed_ = false;
  std::string error_text_;
  MboxSplitter splitter_;
  bool splitting_ = false;  // the window fed last may hold more messages
  bool exhausted_ = false;  // the last message was given: the archive ends
  std::uint32_t number_ = 0;

  // The message of long_message().
  LongPieces long_{*this};
  ArchiveUnit* long_unit_ = nullptr;
  std::uint64_t long_at_ = 0;  // its next byte to deliver
  bool long_started_ = false;
  bool long_ended_ = false;
};

}  // namespace mailsift
