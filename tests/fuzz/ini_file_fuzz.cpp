// The INI file: the input, less its first byte, is read as the program's own
// INI text (or, when the first byte is odd, as the shared TALLWICK.INI, whose
// [MAILSIFT] section may lie anywhere in it), as a run reads it.
#include <cstdint>
#include <string_view>

#include "fuzz/config_scene.h"
#include "fuzz/fuzz_input.h"
#include "util/text_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::string_view text = fuzz::as_text(data, size);
  IniText ini;
  ini.shared = (fuzz::take_byte(text) & 1) != 0;
  StringSource source(text);
  ini.source = &source;
  fuzz::configure_and_check({}, ini);
  return 0;
}
