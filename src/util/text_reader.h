// Text-mode line reading for message, list and INI files.
//
// Reads as a Windows text-mode stream does: a CR immediately followed by LF
// reads as LF, a lone CR is kept, and a byte 26 (Ctrl-Z) ends the file. Lines
// arrive like fgets delivers them: at most max_len - 1 bytes, the LF included
// when it fits. NUL bytes are passed through; callers that treat a line as text
// stop at the first NUL. One line can be pushed back. The buffer is allocated
// once and reused for every file.
#pragma once

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "util/line_index.h"
#include "util/page_aligned.h"

namespace mailsift::platform {
class File;
}

namespace mailsift {

// Where the reader's bytes come from.
class ByteSource {
 public:
  virtual ~ByteSource() = default;
  // Up to n bytes into buffer; 0 at the end, also after a read error.
  virtual std::size_t read(char* buffer, std::size_t n) = 0;
};

// A source over a platform handle remembers a read error, so that a message
// cut short is never taken for a whole one.
class FailingSource : public ByteSource {
 public:
  bool failed() const { return failed_; }
  // Why the read failed (empty when it did not).
  const std::string& error_text() const { return error_text_; }

 protected:
  std::size_t take(std::ptrdiff_t read);

 private:
  bool failed_ = false;
  std::string error_text_;
};

// Bytes held in memory (tests, benchmarks).
class StringSource : public ByteSource {
 public:
  explicit StringSource(std::string_view data) : data_(data) {}
  std::size_t read(char* buffer, std::size_t n) override;

 private:
  std::string_view data_;
  std::size_t pos_ = 0;
};

// An open file: a message, list or INI file.
class FileSource : public FailingSource {
 public:
  explicit FileSource(platform::File& file) : file_(file) {}
  std::size_t read(char* buffer, std::size_t n) override;

 private:
  platform::File& file_;
};

// Shown the lines a reader delivers (see TextReader::observe).
class LineObserver {
 public:
  virtual ~LineObserver() = default;
  // Takes the next line as the reader delivers it. False when it wants no
  // more lines.
  virtual bool see(std::string_view line) = 0;
};

class TextReader {
 public:
  static constexpr std::size_t kDefaultBufferSize = 1 << 17;
  explicit TextReader(std::size_t buffer_size = kDefaultBufferSize);

  // Starts reading a new source; drops any pushed-back line and the observer.
  void reset(ByteSource* source);

  // Shows `observer` every line read from the source from now on, once each
  // and in order (a pushed-back line is not shown again), until it answers
  // false; nullptr shows none. While an observer is set, skip_unmarked_lines
  // passes over nothing, so that no line escapes it.
  void observe(LineObserver* observer) { observer_ = observer; }

  // Replaces `line` with the next piece of at most max_len - 1 bytes (max_len
  // at least 2). False at the end of the file, with `line` empty.
  bool read_line(std::string& line, std::size_t max_len);

  // Like read_line, but a line that lies whole in the buffer is not copied:
  // `line` views it there (a CR LF line reads as its text and an LF). Any
  // other line is built in `scratch`, which `line` then views. The view holds
  // until the next read or refill.
  // Inline for a line that lies whole in the buffer, as most do.
  bool read_line_view(std::string_view& line, std::string& scratch, std::size_t max_len) {
    if (has_pushed_ || pos_ >= end_) return read_line_view_slow(line, scratch, max_len);
    const std::size_t limit = (max_len < 2 ? 2 : max_len) - 1;
    // The bytes before the first Ctrl-Z; with a CR LF a line of `limit`
    // bytes takes limit + 1 bytes of the buffer.
    const std::size_t stop = std::min(next_in_buffer(26, next_sub_), pos_ + limit + 1);
    const std::size_t lf = index_.next_lf(pos_, stop);
    const bool crlf = lf < stop && lf > pos_ && bytes_[lf - 1] == '\r';
    if (lf >= stop || lf - pos_ + (crlf ? 0 : 1) > limit) {
      return read_line_view_slow(line, scratch, max_len);
    }
    view_whole_line(line, pos_, lf, crlf);
    show(line);
    return true;
  }

  // Passes over the lines ahead that lie whole in the buffer before any
  // Ctrl-Z and hold no mark byte (see index_bytes), as a caller that reads
  // them one by one and ignores those without a mark would. Lines end at LF
  // whatever their length, so the pieces of the lines after are the same.
  void skip_unmarked_lines();

  // skip_unmarked_lines, read_line_view and line_classes in one step: the
  // next line that holds a mark, with its classes. A line that lies whole in
  // the buffer is found from the index alone.
  // Inline: the scanner calls it for every line it looks at.
  bool read_marked_line(std::string_view& line, std::string& scratch, std::size_t max_len,
                        unsigned& classes) {
    const std::size_t limit = (max_len < 2 ? 2 : max_len) - 1;
    // An observer sees every line: none is passed over.
    if (has_pushed_ || pos_ >= end_ || observer_ != nullptr) {
      return read_marked_line_slow(line, scratch, max_len, classes);
    }
    // The first mark ahead, the start of its line (after the last LF before
    // it) and that line's LF, all from the index.
    const std::size_t data_end = next_in_buffer(26, next_sub_);
    const std::size_t mark = index_.next_mark(pos_, data_end);
    if (mark >= data_end) return read_marked_line_slow(line, scratch, max_len, classes);
    std::size_t begin = 0;
    std::size_t lf = 0;
    index_.line_around(pos_, mark, data_end, begin, lf);
    const bool crlf = lf < data_end && lf > begin && bytes_[lf - 1] == '\r';
    if (lf >= data_end || lf - begin + (crlf ? 0 : 1) > limit) {
      // No whole line: passed over to where that line starts, it is read
      // byte by byte.
      pos_ = begin;
      return read_marked_line_slow(line, scratch, max_len, classes);
    }
    view_whole_line(line, begin, lf, crlf);
    classes = kHoldsMark | (index_.any_odd(begin, lf) ? kHoldsOdd : 0u);
    return true;
  }

  // The next read returns this line again. Only one line is held. The last
  // line read, pushed back unchanged, is read again from the buffer (with
  // the same max_len, as its reader does); a view of it then no longer
  // holds.
  void push_back(std::string_view line);

  // True once the end of the file (or a Ctrl-Z) has been met and nothing is
  // pushed back.
  bool at_end();

  // When on, a CR that ends the data (at the end of the file or before a
  // Ctrl-Z: the first half of a CR LF whose LF never came) is not delivered.
  // Off by default; kept across reset().
  void drop_cr_at_end(bool on) { drop_cr_at_end_ = on; }

  // Beside line feeds, the reader indexes two classes of bytes in each
  // buffer: `marks` and `odd`, at most two bytes each, neither LF nor CR.
  // Kept across reset(). Without a call both classes are empty.
  void index_bytes(std::string_view marks, std::string_view odd);

  // Whether `c` is one of the bytes index_bytes named.
  bool is_mark(char c) const { return c != '\n' && (c == classes_.mark[0] || c == classes_.mark[1]); }
  bool is_odd(char c) const { return c != '\n' && (c == classes_.odd[0] || c == classes_.odd[1]); }

  // What `line`, the line the last read returned, holds: kHoldsMark and
  // kHoldsOdd bits. For a line taken whole from the buffer the answer comes
  // from the index, not from a search.
  static constexpr unsigned kHoldsMark = 1u;
  static constexpr unsigned kHoldsOdd = 2u;
  unsigned line_classes(std::string_view line) {
    return line_in_buffer_ ? index_.span_classes(line_begin_, line_end_) : search_classes(line);
  }

  // Whether `line`, the line the last read returned, holds an odd byte
  // (line_classes & kHoldsOdd, without the question about marks).
  bool line_holds_odd(std::string_view line) {
    return line_in_buffer_ ? index_.any_odd(line_begin_, line_end_)
                           : (search_classes(line) & kHoldsOdd) != 0;
  }

  // True when `text` lies within the last line read, in the buffer, whose
  // index then answers mark_bits; `at` is its offset in the buffer.
  bool indexes(std::string_view text, std::size_t& at) const { return in_last_line(text, at); }
  // Bit i set when byte at + i of the buffer is a mark, for i < n (at most
  // 64), where [at, at + n) lies in a text that indexes() accepted.
  std::uint64_t mark_bits(std::size_t at, std::size_t n) const { return index_.mark_bits(at, n); }

  // Calls visit(i) for each position i of `text` whose byte is a mark (an
  // odd byte), in order. Where `text` lies within the last line read, in
  // the buffer, the places come from the index; any other text is searched.
  template <typename Visit>
  void visit_marks(std::string_view text, Visit visit) {
    std::size_t at = 0;
    if (in_last_line(text, at)) {
      index_.visit_marks(at, at + text.size(), [&](std::size_t i) { visit(i - at); });
      return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (is_mark(text[i])) visit(i);
    }
  }
  template <typename Visit>
  void visit_odd(std::string_view text, Visit visit) {
    std::size_t at = 0;
    if (in_last_line(text, at)) {
      index_.visit_odd(at, at + text.size(), [&](std::size_t i) { visit(i - at); });
      return;
    }
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (is_odd(text[i])) visit(i);
    }
  }

 private:
  // Delivers the line from `begin` to its LF at `lf`, lying whole in the
  // buffer, as a view of it there; reading goes on after it. With `crlf` the
  // CR, already read past, takes the LF's place so that the line reads with
  // LF alone where it stands.
  void view_whole_line(std::string_view& line, std::size_t begin, std::size_t lf, bool crlf) {
    line_in_buffer_ = true;
    line_begin_ = begin;
    line_end_ = lf + 1;
    line_overwrote_cr_ = crlf;
    if (crlf) bytes_[lf - 1] = '\n';
    line = std::string_view(bytes_.get() + begin, lf + (crlf ? 0 : 1) - begin);
    pos_ = lf + 1;
  }

  // The line at pos_ if it lies whole in the buffer before any Ctrl-Z and
  // reads as at most `limit` bytes: the place of its LF, and whether a CR
  // stands just before (the pair reads as LF). False for any other line.
  bool whole_line_ahead(std::size_t limit, std::size_t& lf, bool& crlf) {
    if (has_pushed_) return false;
    if (pos_ >= end_ && !fill(0)) return false;
    // The bytes before the first Ctrl-Z; with a CR LF a line of `limit`
    // bytes takes limit + 1 bytes of the buffer.
    const std::size_t stop = std::min(next_in_buffer(26, next_sub_), pos_ + limit + 1);
    lf = index_.next_lf(pos_, stop);
    if (lf >= stop) return false;
    crlf = lf > pos_ && bytes_[lf - 1] == '\r';
    return lf - pos_ + (crlf ? 0 : 1) <= limit;
  }
  // read_line_view for any line: the inline step, or pieces, lines across a
  // refill or before a Ctrl-Z, a pushed-back line.
  bool read_line_view_slow(std::string_view& line, std::string& scratch, std::size_t max_len);
  // read_marked_line for the lines its index alone does not give.
  bool read_marked_line_slow(std::string_view& line, std::string& scratch, std::size_t max_len,
                             unsigned& classes);
  // line_classes of a line built byte by byte.
  unsigned search_classes(std::string_view line) const;
  // True when `line` is the last line read, as it lies in the buffer.
  bool rereads_as(std::string_view line) const;
  // True when `text` lies within the last line read, in the buffer; `at` is
  // then its offset there.
  bool in_last_line(std::string_view text, std::size_t& at) const {
    const char* buffer = bytes_.get();
    if (!line_in_buffer_ || text.data() < buffer + line_begin_ ||
        text.data() + text.size() > buffer + line_end_) {
      return false;
    }
    at = static_cast<std::size_t>(text.data() - buffer);
    return true;
  }
  // Next translated byte, or -1 at the end.
  int next_byte();
  bool fill(std::size_t keep);
  // Position of the next `c` in the buffer at or after pos_ (end_ if none),
  // remembered in `cached` until pos_ passes it.
  std::size_t next_in_buffer(char c, std::size_t& cached) {
    if (passed(cached, pos_)) search_in_buffer(c, cached);
    return cached;
  }
  void search_in_buffer(char c, std::size_t& cached);
  // True when a remembered position lies before `pos` or is stale (kStale + 1
  // wraps to 0, so one comparison covers both).
  static bool passed(std::size_t cached, std::size_t pos) { return cached + 1 <= pos; }

  // Shows a line read from the source to the observer, if one is set.
  void show(std::string_view line) {
    if (shown_again_) {
      shown_again_ = false;  // the pushed-back line, read again from the buffer
      return;
    }
    if (observer_ != nullptr && !observer_->see(line)) observer_ = nullptr;
  }

  ByteSource* source_ = nullptr;
  LineObserver* observer_ = nullptr;
  bool shown_again_ = false;  // the next line delivered was shown already
  std::size_t size_;
  PageAlignedBytes bytes_;  // page-aligned: see util/page_aligned.h
  std::size_t pos_ = 0;
  std::size_t end_ = 0;
  bool eof_ = false;
  bool has_pushed_ = false;
  bool drop_cr_at_end_ = false;
  std::string pushed_;
  // Where the next CR and Ctrl-Z stand in the buffer; kStale after a refill.
  static constexpr std::size_t kStale = static_cast<std::size_t>(-1);
  std::size_t next_cr_ = kStale;
  std::size_t next_sub_ = kStale;
  // The buffer span the last line was copied from whole, if it was.
  bool line_in_buffer_ = false;
  // The last line was a CR LF line viewed in place, its CR overwritten.
  bool line_overwrote_cr_ = false;
  std::size_t line_begin_ = 0;
  std::size_t line_end_ = 0;
  // The classes of the buffer's bytes, for the bytes read since the last
  // refill.
  ByteClassSet classes_;
  LineIndex index_;
};

}  // namespace mailsift
