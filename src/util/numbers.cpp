#include "util/numbers.h"

#include <limits>
#include <string>

namespace mailsift {

namespace {
bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}
}  // namespace

std::int64_t read_int64_prefix(std::string_view text, std::size_t& used) {
  std::size_t i = 0;
  while (i < text.size() && is_space(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  const std::size_t digits_start = i;
  // Accumulate as a negative number so that the minimum fits.
  std::int64_t value = 0;
  bool saturated = false;
  constexpr std::int64_t kMin = std::numeric_limits<std::int64_t>::min();
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
    int digit = text[i] - '0';
    if (!saturated) {
      if (value < (kMin + digit) / 10) {
        saturated = true;
      } else {
        value = value * 10 - digit;
      }
    }
    ++i;
  }
  if (i == digits_start) {
    used = 0;
    return 0;
  }
  used = i;
  if (saturated) return negative ? kMin : std::numeric_limits<std::int64_t>::max();
  if (!negative) {
    if (value == kMin) return std::numeric_limits<std::int64_t>::max();
    return -value;
  }
  return value;
}

std::int64_t read_int64(std::string_view text) {
  std::size_t used = 0;
  return read_int64_prefix(text, used);
}

std::int32_t read_int32(std::string_view text) {
  std::int64_t v = read_int64(text);
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

char ascii_upper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
}
char ascii_lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
}

void upper_in_place(std::string& text) {
  for (char& c : text) c = ascii_upper(c);
}

bool iequals(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (ascii_upper(a[i]) != ascii_upper(b[i])) return false;
  }
  return true;
}

bool istarts_with(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && iequals(text.substr(0, prefix.size()), prefix);
}

}  // namespace mailsift
