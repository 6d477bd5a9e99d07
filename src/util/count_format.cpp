#include "util/count_format.h"

namespace mailsift {

namespace {

// The digits of `magnitude` in groups of three, after `sign` (0 for none),
// written to the end of `buffer`; returns where they start.
char* group_digits(std::uint64_t magnitude, char sign, char (&buffer)[kGroupedNumberSize]) {
  char* at = buffer + kGroupedNumberSize;
  int count = 0;
  do {
    if (count > 0 && count % 3 == 0) *--at = ',';
    *--at = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
    ++count;
  } while (magnitude != 0);
  if (sign != 0) *--at = sign;
  return at;
}

std::string_view grouped(std::uint64_t magnitude, char sign, char (&buffer)[kGroupedNumberSize]) {
  const char* start = group_digits(magnitude, sign, buffer);
  return std::string_view(start, static_cast<std::size_t>(buffer + kGroupedNumberSize - start));
}

}  // namespace

std::string format_count(std::uint32_t value) {
  char buffer[kGroupedNumberSize];
  return std::string(grouped(value, 0, buffer));
}

std::string_view format_bytes(std::int64_t value, char (&buffer)[kGroupedNumberSize]) {
  if (value < 0) {
    const std::uint64_t magnitude = static_cast<std::uint64_t>(-(value + 1)) + 1;
    return grouped(magnitude, '-', buffer);
  }
  return grouped(static_cast<std::uint64_t>(value), 0, buffer);
}

std::string format_bytes(std::int64_t value) {
  char buffer[kGroupedNumberSize];
  return std::string(format_bytes(value, buffer));
}

}  // namespace mailsift
