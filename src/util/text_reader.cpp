#include "util/text_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/platform.h"

namespace mailsift {

std::size_t StringSource::read(char* buffer, std::size_t n) {
  std::size_t count = std::min(n, data_.size() - pos_);
  std::memcpy(buffer, data_.data() + pos_, count);
  pos_ += count;
  return count;
}

std::size_t FailingSource::take(std::ptrdiff_t read) {
  if (read >= 0) return static_cast<std::size_t>(read);
  if (!failed_) {
    failed_ = true;
    error_text_ = platform::last_error_text();
  }
  return 0;
}

std::size_t FileSource::read(char* buffer, std::size_t n) {
  if (failed()) return 0;
  return take(file_.read(buffer, n));
}

TextReader::TextReader(std::size_t buffer_size)
    : size_(std::max<std::size_t>(buffer_size, 16)),
      bytes_(make_page_aligned(size_)),
      index_(size_) {}

void TextReader::reset(ByteSource* source) {
  source_ = source;
  observer_ = nullptr;
  shown_again_ = false;
  pos_ = end_ = 0;
  eof_ = source == nullptr;
  has_pushed_ = false;
  pushed_.clear();
  next_cr_ = next_sub_ = kStale;
  index_.reset(bytes_.get(), 0, classes_);
  line_in_buffer_ = false;
}

// Moves the `keep` unread bytes to the front and reads more behind them.
bool TextReader::fill(std::size_t keep) {
  if (eof_) return false;
  next_cr_ = next_sub_ = kStale;
  line_in_buffer_ = false;
  if (keep > 0 && pos_ != 0) std::memmove(bytes_.get(), bytes_.get() + pos_, keep);
  pos_ = 0;
  end_ = keep;
  std::size_t got = source_->read(bytes_.get() + end_, size_ - end_);
  if (got == 0) {
    eof_ = true;
    return false;
  }
  end_ += got;
  index_.reset(bytes_.get(), end_, classes_);
  return true;
}

int TextReader::next_byte() {
  if (pos_ >= end_ && !fill(0)) return -1;
  unsigned char c = static_cast<unsigned char>(bytes_[pos_]);
  if (c == 26) {
    // Ctrl-Z ends the file for good.
    eof_ = true;
    pos_ = end_ = 0;
    return -1;
  }
  ++pos_;
  if (c != '\r') return c;
  if (pos_ >= end_) fill(0);
  if (pos_ < end_ && bytes_[pos_] == '\n') {
    ++pos_;
    return '\n';
  }
  if (drop_cr_at_end_ && (pos_ >= end_ || bytes_[pos_] == 26)) return -1;
  return '\r';
}

bool TextReader::read_line(std::string& line, std::size_t max_len) {
  line.clear();
  line_in_buffer_ = false;
  if (has_pushed_) {
    has_pushed_ = false;
    line.assign(pushed_);
    return true;
  }
  if (max_len < 2) max_len = 2;
  const std::size_t limit = max_len - 1;
  std::size_t end = 0;
  bool crlf = false;
  if (whole_line_ahead(limit, end, crlf)) {
    const char* start = bytes_.get() + pos_;
    line_in_buffer_ = true;
    line_overwrote_cr_ = false;
    line_begin_ = pos_;
    line_end_ = end + 1;
    if (crlf) {
      line.append(start, end - 1 - pos_);
      line.push_back('\n');
    } else {
      line.append(start, end + 1 - pos_);
    }
    pos_ = end + 1;
    show(line);
    return true;
  }
  // Any other line: pieces, lines across a refill, before a Ctrl-Z.
  while (line.size() < limit) {
    // Fast path: copy plain bytes straight out of the buffer. The bytes
    // before the next CR or Ctrl-Z need no translation; where those stand is
    // looked up once per buffer rather than once per line.
    if (pos_ < end_) {
      const char* start = bytes_.get() + pos_;
      std::size_t stop = pos_ + std::min(end_ - pos_, limit - line.size());
      next_in_buffer('\r', next_cr_);
      next_in_buffer(26, next_sub_);
      stop = std::min({stop, next_cr_, next_sub_});
      const std::size_t n = stop - pos_;
      const void* lf = std::memchr(start, '\n', n);
      if (lf != nullptr) {
        // A whole plain line ending in LF.
        const std::size_t with_lf = static_cast<const char*>(lf) - start + 1;
        line_in_buffer_ = line.empty();
        line_overwrote_cr_ = false;
        line_begin_ = pos_;
        line_end_ = pos_ + with_lf;
        line.append(start, with_lf);
        pos_ += with_lf;
        break;
      }
      if (stop == next_cr_ && line.empty() && next_cr_ + 1 < end_ &&
          bytes_[next_cr_ + 1] == '\n' && limit > n + 1) {
        // A whole plain line ending in CR LF: it reads with LF alone.
        line_in_buffer_ = true;
        line_overwrote_cr_ = false;
        line_begin_ = pos_;
        line_end_ = next_cr_ + 2;
        line.append(start, n);
        line.push_back('\n');
        pos_ = next_cr_ + 2;
        break;
      }
      if (n > 0) {
        line.append(start, n);
        pos_ += n;
        continue;
      }
    }
    int c = next_byte();
    if (c < 0) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  if (line.empty()) return false;
  show(line);
  return true;
}

bool TextReader::read_line_view_slow(std::string_view& line, std::string& scratch,
                                     std::size_t max_len) {
  line_in_buffer_ = false;
  std::size_t lf = 0;
  bool crlf = false;
  if (whole_line_ahead((max_len < 2 ? 2 : max_len) - 1, lf, crlf)) {
    view_whole_line(line, pos_, lf, crlf);
    show(line);
    return true;
  }
  const bool got = read_line(scratch, max_len);
  line = scratch;
  return got;
}

bool TextReader::read_marked_line_slow(std::string_view& line, std::string& scratch,
                                       std::size_t max_len, unsigned& classes) {
  // Lines across a refill, pieces, lines before a Ctrl-Z, a pushed-back line.
  for (;;) {
    skip_unmarked_lines();
    if (!read_line_view(line, scratch, max_len)) return false;
    classes = line_classes(line);
    if ((classes & kHoldsMark) != 0) return true;
  }
}

void TextReader::skip_unmarked_lines() {
  if (has_pushed_ || pos_ >= end_ || observer_ != nullptr) return;
  line_in_buffer_ = false;
  // The bytes before `bound` come before any Ctrl-Z and hold no mark, so
  // every line that ends before it can be passed over. A CR changes no
  // line's end: a CR LF ends a line at its LF as an LF does.
  const std::size_t bound = index_.next_mark(pos_, next_in_buffer(26, next_sub_));
  const std::size_t lf = index_.last_lf(pos_, bound);
  if (lf != LineIndex::kNone) pos_ = lf + 1;
}

void TextReader::search_in_buffer(char c, std::size_t& cached) {
  const void* at = std::memchr(bytes_.get() + pos_, c, end_ - pos_);
  cached = at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - bytes_.get()) : end_;
}

void TextReader::index_bytes(std::string_view marks, std::string_view odd) {
  auto take = [](std::string_view bytes, char (&into)[2]) {
    into[0] = bytes.empty() ? '\n' : bytes[0];
    into[1] = bytes.size() < 2 ? into[0] : bytes[1];
  };
  take(marks, classes_.mark);
  take(odd, classes_.odd);
  // The bytes already read are classified again with the new classes.
  index_.reset(bytes_.get(), end_, classes_);
}

unsigned TextReader::search_classes(std::string_view line) const {
  unsigned holds = 0;
  auto has = [line](char c) {
    return c != '\n' && std::memchr(line.data(), c, line.size()) != nullptr;
  };
  if (has(classes_.mark[0]) || has(classes_.mark[1])) holds |= kHoldsMark;
  if (has(classes_.odd[0]) || has(classes_.odd[1])) holds |= kHoldsOdd;
  return holds;
}

void TextReader::push_back(std::string_view line) {
  if (line_in_buffer_ && rereads_as(line)) {
    // The last line read, unchanged: it is read again from the buffer, where
    // the index still describes it.
    if (line_overwrote_cr_) bytes_[line_end_ - 2] = '\r';
    pos_ = line_begin_;
    line_in_buffer_ = false;
    shown_again_ = observer_ != nullptr;
    return;
  }
  pushed_.assign(line.data(), line.size());
  has_pushed_ = true;
}

bool TextReader::rereads_as(std::string_view line) const {
  const char* raw = bytes_.get() + line_begin_;
  // A view of the line where it lies (as read_line_view gave it) is the line
  // whole when it still ends where the line does.
  if (line.data() == raw) {
    return line.size() + (line_overwrote_cr_ ? 1 : 0) == line_end_ - line_begin_;
  }
  const std::size_t span = line_end_ - line_begin_;
  const bool crlf = line_overwrote_cr_ || (span >= 2 && raw[span - 2] == '\r');
  const std::size_t length = span - (crlf ? 1 : 0);
  return line.size() == length && line.back() == '\n' &&
         std::memcmp(line.data(), raw, length - 1) == 0;
}

bool TextReader::at_end() {
  if (has_pushed_) return false;
  if (pos_ >= end_ && !fill(0)) return true;
  return bytes_[pos_] == 26;
}

}  // namespace mailsift
