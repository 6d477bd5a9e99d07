#include "header/text_reader.h"

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

std::size_t HandleSource::read(char* buffer, std::size_t n) {
  return platform::read_handle(handle_, buffer, n);
}

std::size_t FileSystemSource::read(char* buffer, std::size_t n) {
  return fs_.read_file(file_, buffer, n);
}

TextReader::TextReader(std::size_t buffer_size) : buffer_(std::max<std::size_t>(buffer_size, 16)) {}

void TextReader::reset(ByteSource* source) {
  source_ = source;
  pos_ = end_ = 0;
  eof_ = source == nullptr;
  has_pushed_ = false;
  pushed_.clear();
}

// Moves the `keep` unread bytes to the front and reads more behind them.
bool TextReader::fill(std::size_t keep) {
  if (eof_) return false;
  if (keep > 0 && pos_ != 0) std::memmove(buffer_.data(), buffer_.data() + pos_, keep);
  pos_ = 0;
  end_ = keep;
  std::size_t got = source_->read(buffer_.data() + end_, buffer_.size() - end_);
  if (got == 0) {
    eof_ = true;
    return false;
  }
  end_ += got;
  return true;
}

int TextReader::next_byte() {
  if (pos_ >= end_ && !fill(0)) return -1;
  unsigned char c = static_cast<unsigned char>(buffer_[pos_]);
  if (c == 26) {
    // Ctrl-Z ends the file for good.
    eof_ = true;
    pos_ = end_ = 0;
    return -1;
  }
  ++pos_;
  if (c != '\r') return c;
  if (pos_ >= end_) fill(0);
  if (pos_ < end_ && buffer_[pos_] == '\n') {
    ++pos_;
    return '\n';
  }
  return '\r';
}

bool TextReader::read_line(std::string& line, std::size_t max_len) {
  line.clear();
  if (has_pushed_) {
    has_pushed_ = false;
    line.assign(pushed_);
    return true;
  }
  if (max_len < 2) max_len = 2;
  const std::size_t limit = max_len - 1;
  while (line.size() < limit) {
    // Fast path: copy plain bytes straight out of the buffer.
    if (pos_ < end_) {
      const char* start = buffer_.data() + pos_;
      std::size_t avail = std::min(end_ - pos_, limit - line.size());
      // The bytes up to the first LF, CR or Ctrl-Z need no translation.
      const void* lf = std::memchr(start, '\n', avail);
      std::size_t i = lf != nullptr ? static_cast<const char*>(lf) - start : avail;
      const void* cr = std::memchr(start, '\r', i);
      if (cr != nullptr) i = static_cast<const char*>(cr) - start;
      const void* eof = std::memchr(start, 26, i);
      if (eof != nullptr) i = static_cast<const char*>(eof) - start;
      if (lf != nullptr && start + i == lf) {
        // A whole plain line ending in LF.
        line.append(start, i + 1);
        pos_ += i + 1;
        break;
      }
      if (i > 0) {
        line.append(start, i);
        pos_ += i;
        continue;
      }
    }
    int c = next_byte();
    if (c < 0) break;
    line.push_back(static_cast<char>(c));
    if (c == '\n') break;
  }
  return !line.empty();
}

void TextReader::push_back(std::string_view line) {
  pushed_.assign(line.data(), line.size());
  has_pushed_ = true;
}

bool TextReader::at_end() {
  if (has_pushed_) return false;
  if (pos_ >= end_ && !fill(0)) return true;
  return buffer_[pos_] == 26;
}

}  // namespace mailsift
