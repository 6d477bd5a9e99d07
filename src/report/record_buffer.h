// A buffer that one record is written into before it joins the report's row.
// Each write checks the room once; there is always kSlack bytes of room past
// what a write asks for, so that writers may store whole blocks of 16 or 64
// bytes and keep only what they mean. Its storage is kept from record to
// record.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string>
#include <string_view>

namespace mailsift {

class RecordBuffer {
 public:
  static constexpr std::size_t kSlack = 64;

  void clear() { size_ = 0; }

  // Where `n` more bytes go, with kSlack bytes of room beyond them; what is
  // written there counts once advance() says so.
  char* room(std::size_t n) {
    if (bytes_.size() - size_ < n + kSlack) {
      bytes_.resize(std::max(bytes_.size() * 2, size_ + n + kSlack + 1024));
    }
    return bytes_.data() + size_;
  }
  void advance(std::size_t n) { size_ += n; }

  void append(std::string_view text) {
    if (text.empty()) return;
    std::memcpy(room(text.size()), text.data(), text.size());
    size_ += text.size();
  }
  void push_back(char c) {
    *room(1) = c;
    ++size_;
  }
  // The first `n` (at most kSlack) of the kSlack bytes at `padded`.
  void append_padded(const char* padded, std::size_t n) {
    std::memcpy(room(0), padded, kSlack);
    size_ += n;
  }

  std::string_view view() const { return {bytes_.data(), size_}; }

 private:
  std::string bytes_;  // its whole size is room; size_ bytes of it are written
  std::size_t size_ = 0;
};

}  // namespace mailsift
