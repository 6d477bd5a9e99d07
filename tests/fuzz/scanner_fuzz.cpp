// The message scanner over arbitrary bytes, with an arbitrary delimiter,
// report format (the structured ones with their decoded header fields) and
// vector path. Properties: the row is the plain reference scanner's
// (tests/reference/plain_scanner.h), and it does not depend on how the bytes
// arrive (the reader's buffer size, reads cut short).
#include <algorithm>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "reference/plain_scanner.h"
#include "report/message_formatter.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/byte_classes.h"

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

// The row of the message in `source` in the report's format; its decoded
// fields are left in `decoded`.
std::string row_of(ScanWorkspace& ws, ByteSource& source, const ScanOptions& scan,
                   const ReportOptions& report, DecodedFields& decoded) {
  MessageRecord record;
  record.path = "/m/x.eml";  // as the reference names it
  scan_message(ws, &source, scan, record.fields, never);
  if (scan.decode_fields) ws.field_decoder.decode(ws.own_header, record.path, 0, record.decoded);
  MessageTexts texts;
  MessageFormatter formatter(report);
  formatter.format(record, texts);
  decoded = record.decoded;
  return texts.row;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  std::string_view text = fuzz::as_text(data, size);
  const char delimiter = static_cast<char>(fuzz::take_byte(text));
  const std::uint8_t style = fuzz::take_byte(text);
  const ReportOptions report{static_cast<ReportFormat>(style % 3), delimiter, (style & 4) != 0};
  const bool delimited = report.format == ReportFormat::kDelimited;
  const ScanOptions scan{delimited ? delimiter : '|', !delimited};
  const std::size_t buffer = 16 + fuzz::take_byte(text) * 4;
  const std::size_t step = 1 + fuzz::take_byte(text) % 64;
  // A path this processor does not run leaves the widest in use.
  static const VectorPath widest = vector_path();
  const VectorPath paths[] = {VectorPath::kPlain, VectorPath::kSse2, VectorPath::kAvx2};
  if (!use_vector_path(paths[fuzz::take_byte(text) % 3])) use_vector_path(widest);

  static ScanWorkspace whole;
  StringSource source(text);
  DecodedFields decoded;
  const std::string row = row_of(whole, source, scan, report, decoded);

  ScanWorkspace pieces(buffer);
  TrickleSource trickle(text, step);
  DecodedFields trickled;
  FUZZ_CHECK(row == row_of(pieces, trickle, scan, report, trickled));
  // The reference captures the fourteen columns only; the decoded fields
  // are the scanner's.
  FUZZ_CHECK(row == reference::row_of(reference::scan(text, scan.delimiter), report, decoded));
  return 0;
}
