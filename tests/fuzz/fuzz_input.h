// Helpers the fuzz targets share: splitting the fuzzer's bytes into the
// pieces a target needs.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mailsift::fuzz {

inline std::string_view as_text(const std::uint8_t* data, std::size_t size) {
  return {reinterpret_cast<const char*>(data), size};
}

// Takes the first byte (0 when there is none) off `text`.
inline unsigned char take_byte(std::string_view& text) {
  if (text.empty()) return 0;
  const unsigned char c = static_cast<unsigned char>(text.front());
  text.remove_prefix(1);
  return c;
}

// The pieces of `text` between `separator` bytes.
inline std::vector<std::string> split(std::string_view text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = text.find(separator, start);
    parts.emplace_back(text.substr(start, end == std::string_view::npos ? end : end - start));
    if (end == std::string_view::npos) break;
    start = end + 1;
  }
  return parts;
}

}  // namespace mailsift::fuzz

// A finding: a broken property aborts, so that the fuzzer keeps the input.
#define FUZZ_CHECK(condition)                                                                    \
  do {                                                                                           \
    if (!(condition)) {                                                                          \
      __builtin_fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
      __builtin_abort();                                                                         \
    }                                                                                            \
  } while (0)
