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

std::size_t HandleSource::read(char* buffer, std::size_t n) {
  if (failed()) return 0;
  return take(platform::read_handle(handle_, buffer, n));
}

std::size_t FileSystemSource::read(char* buffer, std::size_t n) {
  if (failed()) return 0;
  return take(fs_.read_file(file_, buffer, n));
}

TextReader::TextReader(std::size_t buffer_size)
    : size_(std::max<std::size_t>(buffer_size, 16)),
      bytes_(static_cast<char*>(::operator new[](size_, AlignedBytes::kAlignment))) {}

void TextReader::reset(ByteSource* source) {
  source_ = source;
  observer_ = nullptr;
  pos_ = end_ = 0;
  eof_ = source == nullptr;
  has_pushed_ = false;
  pushed_.clear();
  next_cr_ = next_sub_ = kStale;
  forget_watched();
  line_in_buffer_ = false;
}

// Moves the `keep` unread bytes to the front and reads more behind them.
bool TextReader::fill(std::size_t keep) {
  if (eof_) return false;
  next_cr_ = next_sub_ = kStale;
  forget_watched();
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

bool TextReader::read_line_view(std::string_view& line, std::string& scratch, std::size_t max_len) {
  line_in_buffer_ = false;
  if (!has_pushed_ && pos_ < end_) {
    // The fast path of read_line for a line that starts a piece, without the
    // copy.
    const std::size_t limit = (max_len < 2 ? 2 : max_len) - 1;
    char* start = bytes_.get() + pos_;
    next_in_buffer('\r', next_cr_);
    next_in_buffer(26, next_sub_);
    const std::size_t stop = std::min({pos_ + std::min(end_ - pos_, limit), next_cr_, next_sub_});
    const std::size_t n = stop - pos_;
    const void* lf = std::memchr(start, '\n', n);
    if (lf != nullptr) {
      const std::size_t with_lf = static_cast<const char*>(lf) - start + 1;
      line_in_buffer_ = true;
      line_begin_ = pos_;
      line_end_ = pos_ + with_lf;
      line = std::string_view(start, with_lf);
      pos_ += with_lf;
      show(line);
      return true;
    }
    if (stop == next_cr_ && next_cr_ + 1 < end_ && bytes_[next_cr_ + 1] == '\n' && limit > n + 1) {
      // The CR, already read past, takes the LF's place so that the line
      // reads with LF alone where it stands.
      bytes_[next_cr_] = '\n';
      line_in_buffer_ = true;
      line_begin_ = pos_;
      line_end_ = next_cr_ + 2;
      line = std::string_view(start, n + 1);
      pos_ = next_cr_ + 2;
      show(line);
      return true;
    }
  }
  const bool got = read_line(scratch, max_len);
  line = scratch;
  return got;
}

void TextReader::skip_lines_without(unsigned watched, std::size_t max_len) {
  if (has_pushed_ || pos_ >= end_ || observer_ != nullptr) return;
  line_in_buffer_ = false;
  // The bytes before `bound` come before any Ctrl-Z and hold none of those
  // watched bytes. A CR changes no line's end: a CR LF ends a line at its LF
  // as an LF does.
  std::size_t bound = next_in_buffer(26, next_sub_);
  for (std::size_t i = 0; i < watched_count_; ++i) {
    if ((watched & (1u << i)) == 0) continue;
    // A position found from pos_ on is never below the one remembered, so
    // next_any_watched_ stays a lower bound.
    bound = std::min(bound, next_in_buffer(watched_[i], next_watched_[i]));
  }
  // A line (or piece) ends at an LF, so the byte after the last LF before
  // `bound` starts one. Looking back further than a piece gains little;
  // bounding the look keeps the work per byte constant.
  const std::size_t limit = (max_len < 2 ? 2 : max_len) - 1;
  const std::size_t floor = bound - pos_ > limit ? bound - limit : pos_;
  const char* data = bytes_.get();
  for (std::size_t at = bound; at > floor; --at) {
    if (data[at - 1] == '\n') {
      pos_ = at;
      return;
    }
  }
}

std::size_t TextReader::next_in_buffer(char c, std::size_t& cached) {
  if (passed(cached, pos_)) {
    const void* at = std::memchr(bytes_.get() + pos_, c, end_ - pos_);
    cached = at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - bytes_.get())
                           : end_;
  }
  return cached;
}

void TextReader::watch_bytes(std::string_view bytes) {
  watched_count_ = std::min(bytes.size(), kMaxWatched);
  std::copy_n(bytes.data(), watched_count_, watched_);
  forget_watched();
}

void TextReader::forget_watched() {
  std::fill(std::begin(next_watched_), std::end(next_watched_), kStale);
  next_any_watched_ = 0;
}

unsigned TextReader::search_line(std::string_view line) {
  unsigned holds = 0;
  if (!line_in_buffer_) {
    for (std::size_t i = 0; i < watched_count_; ++i) {
      if (std::memchr(line.data(), watched_[i], line.size()) != nullptr) holds |= 1u << i;
    }
    return holds;
  }
  std::size_t nearest = end_;
  for (std::size_t i = 0; i < watched_count_; ++i) {
    std::size_t& next = next_watched_[i];
    if (passed(next, line_begin_)) {
      const void* at = std::memchr(bytes_.get() + line_begin_, watched_[i], end_ - line_begin_);
      next = at != nullptr ? static_cast<std::size_t>(static_cast<const char*>(at) - bytes_.get())
                           : end_;
    }
    if (next < line_end_) holds |= 1u << i;
    nearest = std::min(nearest, next);
  }
  next_any_watched_ = nearest;
  return holds;
}

void TextReader::push_back(std::string_view line) {
  pushed_.assign(line.data(), line.size());
  has_pushed_ = true;
}

bool TextReader::at_end() {
  if (has_pushed_) return false;
  if (pos_ >= end_ && !fill(0)) return true;
  return bytes_[pos_] == 26;
}

}  // namespace mailsift
