// The header date parser over arbitrary lines, with and without the keyword
// a Date or Sent line starts with.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/date_parser.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::string_view text = fuzz::as_text(data, size);
  static const char* const kStarts[] = {"", "Date: ", "Sent: ", "DATE:"};
  std::string line = kStarts[fuzz::take_byte(text) % 4];
  line.append(text);
  ParsedDate date;
  parse_header_date(line, date);
  FUZZ_CHECK(date.month >= 0 && date.month <= 12);
  // The time text is the rest of the line from the time on.
  FUZZ_CHECK(std::string_view(line).ends_with(date.time_text));
  return 0;
}
