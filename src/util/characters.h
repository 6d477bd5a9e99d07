// Names and patterns are UTF-8 byte strings, but wildcards and lengths work on
// characters: one well-formed UTF-8 sequence, or one byte that does not start
// such a sequence.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mailsift {

struct DecodedChar {
  // The code point of a well-formed sequence; a stray byte b becomes
  // 0xDC00 + b, a value no well-formed sequence decodes to, so that two
  // characters have equal codes exactly when their bytes are equal.
  std::uint32_t code = 0;
  std::size_t length = 0;  // bytes taken, at least 1
};

// Decodes the character that starts at `pos` (pos < text.size()).
DecodedChar decode_char(std::string_view text, std::size_t pos);

// Number of characters in `text`.
std::size_t count_characters(std::string_view text);

}  // namespace mailsift
