#include "util/out_stream.h"

#include <cstdarg>
#include <cstdio>

#include "platform/platform.h"

namespace mailsift {

OutStream::~OutStream() {
  close();
}

void OutStream::attach_handle(int handle, std::size_t buffer_size, bool owns_handle) {
  close();
  handle_ = handle;
  owns_ = owns_handle;
  sink_ = nullptr;
  failed_ = false;
  set_buffer_size(buffer_size);
}

void OutStream::attach_string(std::string* sink) {
  close();
  sink_ = sink;
  handle_ = -1;
  owns_ = false;
  failed_ = false;
}

void OutStream::set_buffer_size(std::size_t size) {
  flush();
  capacity_ = size;
  if (size > 0) buffer_.reserve(size);
}

void OutStream::write(std::string_view text) {
  if (flush_first_ != nullptr) flush_first_->flush();
  if (sink_ != nullptr) {
    sink_->append(text);
    return;
  }
  if (handle_ < 0 || text.empty()) return;
  if (capacity_ == 0) {
    if (!platform::write_handle(handle_, text.data(), text.size())) failed_ = true;
    return;
  }
  if (buffer_.size() + text.size() > capacity_) {
    flush();
    if (text.size() >= capacity_) {
      if (!platform::write_handle(handle_, text.data(), text.size())) failed_ = true;
      return;
    }
  }
  const bool was_empty = buffer_.empty();
  buffer_.append(text);
  if (max_hold_ <= 0) return;
  const double now = platform::process_seconds();
  if (was_empty) {
    oldest_held_ = now;
  } else if (now - oldest_held_ >= max_hold_) {
    flush();
  }
}

void OutStream::format(const char* fmt, ...) {
  char small[512];
  va_list args;
  va_start(args, fmt);
  va_list copy;
  va_copy(copy, args);
  int n = std::vsnprintf(small, sizeof small, fmt, args);
  va_end(args);
  if (n < 0) {
    va_end(copy);
    return;
  }
  if (static_cast<std::size_t>(n) < sizeof small) {
    write(std::string_view(small, static_cast<std::size_t>(n)));
  } else {
    std::string big(static_cast<std::size_t>(n) + 1, '\0');
    std::vsnprintf(big.data(), big.size(), fmt, copy);
    big.resize(static_cast<std::size_t>(n));
    write(big);
  }
  va_end(copy);
}

bool OutStream::flush() {
  if (handle_ >= 0 && !buffer_.empty()) {
    if (!platform::write_handle(handle_, buffer_.data(), buffer_.size())) failed_ = true;
    buffer_.clear();
  }
  return !failed_;
}

bool OutStream::close() {
  bool ok = flush();
  if (handle_ >= 0 && owns_) platform::close_handle(handle_);
  handle_ = -1;
  owns_ = false;
  sink_ = nullptr;
  return ok;
}

}  // namespace mailsift
