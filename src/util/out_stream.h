// Buffered output to a platform handle or to memory.
//
// The report, the accounting log and the console all write through this. A
// failed write is remembered (`failed()`), so callers can end the run with a
// write error instead of silently losing rows. Tests point a stream at a
// string to see exactly what was written.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "util/compiler.h"

namespace mailsift {

class OutStream {
 public:
  static constexpr std::size_t kReportBufferSize = 1 << 20;

  OutStream() = default;
  OutStream(const OutStream&) = delete;
  OutStream& operator=(const OutStream&) = delete;
  ~OutStream();

  // Writes to a platform handle; buffer_size 0 means every write goes out at once.
  void attach_handle(int handle, std::size_t buffer_size, bool owns_handle);
  // Appends everything to *sink (tests).
  void attach_string(std::string* sink);

  bool is_open() const { return handle_ >= 0 || sink_ != nullptr; }
  int handle() const { return handle_; }
  bool owns_handle() const { return owns_; }
  void set_buffer_size(std::size_t size);
  // Flushes `other` before each write here, so that the two keep their
  // relative order where they meet (null: none).
  void flush_first(OutStream* other) { flush_first_ = other; }
  // Bounds how long a text may wait in the buffer: a write that finds the
  // oldest buffered byte at least `seconds` old writes everything out. The
  // check is made only when writing (0: no bound).
  void hold_at_most(double seconds) { max_hold_ = seconds; }

  void write(std::string_view text);
  void put(char c) { write(std::string_view(&c, 1)); }
  // printf-style; any length.
  void format(const char* fmt, ...) MAILSIFT_PRINTF_FORMAT(2, 3);

  // Writes out what is buffered; false when a write failed now or before.
  bool flush();
  // Flushes, closes an owned handle and detaches; false when anything failed.
  bool close();
  bool failed() const { return failed_; }

 private:
  int handle_ = -1;
  bool owns_ = false;
  std::string* sink_ = nullptr;
  std::string buffer_;
  std::size_t capacity_ = 0;
  bool failed_ = false;
  OutStream* flush_first_ = nullptr;
  double max_hold_ = 0;
  double oldest_held_ = 0;  // when the oldest buffered byte was written
};

}  // namespace mailsift
