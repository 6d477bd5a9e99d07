#include "scan/windows_1252.h"

#include <cstdint>

#include "util/byte_scan.h"
#include "util/characters.h"

namespace mailsift {

namespace {

// Code points of bytes 0x80 to 0x9F; the bytes from 0xA0 on stand for the
// code point of the same value.
constexpr std::uint16_t kHigh[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

void append_byte(unsigned char byte, std::string& out) {
  if (byte < 0x80) {
    out.push_back(static_cast<char>(byte));
    return;
  }
  const std::uint32_t code = byte < 0xA0 ? kHigh[byte - 0x80] : byte;
  if (code < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code >> 6)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (code >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
  }
  out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
}

}  // namespace

void append_windows_1252(std::string_view bytes, std::string& out) {
  for (const char c : bytes) append_byte(static_cast<unsigned char>(c), out);
}

void append_unlabelled(std::string_view bytes, std::string& out) {
  std::size_t pos = 0;
  while (pos < bytes.size()) {
    // Runs of ASCII, the usual case, in one step.
    const std::size_t ascii_end = pos + ascii_prefix(bytes.substr(pos));
    out.append(bytes.substr(pos, ascii_end - pos));
    pos = ascii_end;
    if (pos == bytes.size()) break;
    const DecodedChar c = decode_char(bytes, pos);
    if (c.length == 1) {
      append_byte(static_cast<unsigned char>(bytes[pos]), out);
    } else {
      out.append(bytes.substr(pos, c.length));
    }
    pos += c.length;
  }
}

}  // namespace mailsift
