#include "util/numbers.h"

#include <limits>

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
  return saturate_int32(read_int64(text));
}

std::int32_t saturate_int32(std::int64_t value) {
  if (value > std::numeric_limits<std::int32_t>::max())
    return std::numeric_limits<std::int32_t>::max();
  if (value < std::numeric_limits<std::int32_t>::min())
    return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(value);
}

}  // namespace mailsift
