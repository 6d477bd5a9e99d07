// The message scanner over arbitrary bytes, with an arbitrary delimiter and
// row format. Property: the row does not depend on how the bytes arrive (the
// reader's buffer size, reads cut short).
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"

namespace {

using namespace mailsift;

// Hands out at most `step` bytes per read.
class TrickleSource : public ByteSource {
 public:
  TrickleSource(std::string_view data, std::size_t step) : data_(data), step_(step) {}
  std::size_t read(char* buffer, std::size_t n) override {
    const std::size_t count = std::min({n, step_, data_.size() - pos_});
    std::copy_n(data_.data() + pos_, count, buffer);
    pos_ += count;
    return count;
  }

 private:
  std::string_view data_;
  std::size_t step_;
  std::size_t pos_ = 0;
};

bool never() {
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::as_text(data, size);
  const RowFormat format{static_cast<char>(fuzz::take_byte(text)),
                         (fuzz::take_byte(text) & 1) != 0};
  const std::size_t buffer = 16 + fuzz::take_byte(text) * 4;
  const std::size_t step = 1 + fuzz::take_byte(text) % 64;

  static ScanWorkspace whole;
  std::string row;
  StringSource source(text);
  scan_message_text(whole, &source, format, never, row);

  ScanWorkspace pieces{TextReader(buffer), {}, {}, {}, {}, {}, {}};
  std::string row_in_pieces;
  TrickleSource trickle(text, step);
  scan_message_text(pieces, &trickle, format, never, row_in_pieces);
  FUZZ_CHECK(row == row_in_pieces);
  return 0;
}
