#include "scan/word_encodings.h"

#include <cstdint>

namespace mailsift {

namespace {

int base64_value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

bool append_base64(std::string_view text, std::string& out) {
  std::size_t data = text.size();
  // Padding: one or two "=" that fill the last group of four.
  while (data > 0 && text[data - 1] == '=' && text.size() - data < 2) --data;
  if (data < text.size() && text.size() % 4 != 0) return false;
  if (data % 4 == 1) return false;
  const std::size_t start = out.size();
  std::uint32_t bits = 0;
  int held = 0;
  for (std::size_t i = 0; i < data; ++i) {
    const int value = base64_value(text[i]);
    if (value < 0) {
      out.resize(start);
      return false;
    }
    bits = (bits << 6) | static_cast<std::uint32_t>(value);
    held += 6;
    if (held >= 8) {
      held -= 8;
      out.push_back(static_cast<char>((bits >> held) & 0xFF));
    }
  }
  return true;
}

bool append_q(std::string_view text, std::string& out) {
  const std::size_t start = out.size();
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '_') {
      out.push_back(' ');
    } else if (c != '=') {
      out.push_back(c);
    } else {
      const int high = i + 1 < text.size() ? hex_value(text[i + 1]) : -1;
      const int low = i + 2 < text.size() ? hex_value(text[i + 2]) : -1;
      if (high < 0 || low < 0) {
        out.resize(start);
        return false;
      }
      out.push_back(static_cast<char>(high * 16 + low));
      i += 2;
    }
  }
  return true;
}

}  // namespace mailsift
