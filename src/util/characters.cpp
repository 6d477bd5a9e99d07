#include "util/characters.h"

namespace mailsift {

DecodedChar decode_char(std::string_view text, std::size_t pos) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  const DecodedChar stray{0xDC00u + lead, 1};
  if (lead < 0x80) return {lead, 1};
  std::size_t length;
  std::uint32_t code;
  std::uint32_t minimum;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    code = lead & 0x1Fu;
    minimum = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    code = lead & 0x0Fu;
    minimum = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    code = lead & 0x07u;
    minimum = 0x10000;
  } else {
    return stray;
  }
  if (text.size() - pos < length) return stray;
  for (std::size_t i = 1; i < length; ++i) {
    const unsigned char next = byte(pos + i);
    if ((next & 0xC0) != 0x80) return stray;
    code = (code << 6) | (next & 0x3Fu);
  }
  // Overlong forms, surrogates and values past the last code point are not
  // well formed: their lead byte stands alone.
  if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return stray;
  return {code, length};
}

std::size_t count_characters(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t pos = 0; pos < text.size(); pos += decode_char(text, pos).length) ++count;
  return count;
}

}  // namespace mailsift
