// Splitting an mbox archive into its messages while it is read, window by
// window, without copying a byte.
//
// A line that begins with "From " is a separator: it starts a new message (the
// file's first line too) and belongs to no message itself. A message's bytes
// run from the byte after its separator line's LF to the next separator, with
// one exception: when the line just before a separator is empty (an LF alone),
// that LF goes with the separator, not the message. The same holds at the end
// of the file: a last line that is an LF alone is dropped. Only a bare LF is
// an empty line; in CR LF text the empty line "\r\n" stays with the message
// whole. Bytes before the first separator belong to no message, and ">From "
// lines are ordinary lines. These are the boundaries Python's mailbox.mbox
// gives, the reference users compare with.
//
// The splitter only reports file offsets; the caller keeps its windows and
// slices the messages out of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mailsift {

// True when a file whose first bytes are `head` (at least five of them, or the
// whole file when it is shorter) is an mbox archive: its first line begins
// with "From ".
bool begins_mbox(std::string_view head);

// One message of an archive, in file offsets.
struct MboxMessage {
  std::uint64_t separator = 0;  // where its separator line begins
  std::uint64_t start = 0;      // its first byte
  std::uint64_t end = 0;        // one past its last byte

  friend bool operator==(const MboxMessage&, const MboxMessage&) = default;
};

class MboxSplitter {
 public:
  MboxSplitter() { reset(); }

  // Starts a new file at offset 0.
  void reset();

  // Takes the next window of the file, the bytes directly after the last
  // window's. The window's bytes must stay in place until next() has returned
  // false; every message ending in it must be taken with next() before the
  // following feed().
  void feed(std::string_view window);

  // The next message whose end lies in the bytes fed so far, in file order.
  // False when the current window holds no more.
  bool next(MboxMessage& message);

  // After the last window: the file's last message, if it has one. The
  // splitter then holds no message until reset().
  bool finish(MboxMessage& message);

  // Bytes fed since reset().
  std::uint64_t fed() const { return fed_; }

  // The message begun and not yet ended, as it stands once next() has
  // returned false (for a caller that scans a long message while it is read).
  bool in_message() const { return open_; }
  std::uint64_t open_separator() const { return open_separator_; }
  // True once its separator line has ended; open_start() is then valid.
  bool open_started() const { return open_ && started_; }
  std::uint64_t open_start() const { return open_start_; }
  // Its bytes from open_start() up to this offset are its own whatever
  // follows (valid once started).
  std::uint64_t open_settled_end() const;

 private:
  enum class Phase { kCarry, kWindow, kDone };
  // A separator at file offset `at`; `before` is the byte two before it (the
  // one before its line's LF). True when that ends a message, given in
  // `message`.
  bool separator_at(std::uint64_t at, char before, MboxMessage& message);
  // Looks for the LF ending the open message's separator line from window
  // offset `from` on.
  void look_for_start(std::size_t from);
  // Keeps the last bytes of the window just finished in carry_.
  void fold_window();

  // The last bytes before the current window, of the file with an LF put
  // before its first byte (so that the first line is a line start like any
  // other). Six bytes: a separator's LF and "From ", or the byte before that LF.
  static constexpr std::size_t kCarry = 6;
  char carry_[kCarry] = {};
  std::size_t carry_len_ = 0;
  // The carried bytes followed by the window's first five, where separators
  // that straddle two windows are found.
  char joint_[2 * kCarry] = {};
  std::size_t joint_len_ = 0;
  std::size_t joint_next_ = 0;

  std::string_view window_;
  std::uint64_t window_offset_ = 0;
  std::size_t scan_ = 0;  // the window's next byte to look at for an LF
  std::uint64_t fed_ = 0;
  Phase phase_ = Phase::kDone;

  bool open_ = false;
  bool started_ = false;
  std::uint64_t open_separator_ = 0;
  std::uint64_t open_start_ = 0;
};

}  // namespace mailsift
