#include "scan/date_parser.h"

#include <bit>
#include <cstdint>
#include <limits>

#include "scan/line_cleaning.h"
#include "util/calendar.h"

namespace mailsift {

namespace {

constexpr bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

constexpr char lower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + ('a' - 'A')) : c;
}

// For each byte, the months (bit m for month m) whose name begins with it
// in any case; 0 for a byte that begins none.
struct MonthsByByte {
  std::uint16_t months[256] = {};
  constexpr MonthsByByte() {
    for (int m = 1; m <= 12; ++m) {
      const char first = lower(kMonthNames[m - 1][0]);
      for (const char c : {first, static_cast<char>(first - ('a' - 'A'))}) {
        std::uint16_t& entry = months[static_cast<unsigned char>(c)];
        entry = static_cast<std::uint16_t>(entry | (1u << m));
      }
    }
  }
};
constexpr MonthsByByte kMonthsByByte;

// The first month of the table whose name `value` holds in any case, where
// a name may not end on the value's last character (find_text's rule), or 0.
// One pass over the value instead of a search for each name; most bytes
// begin no name and cost one table look-up.
int find_month(std::string_view value) {
  if (value.size() <= 3) return 0;
  const std::size_t starts = value.size() - 3;
  int found = 0;
  // The months that can still win: only those before the one found so far.
  unsigned open = 0x1ffeu;
  for (std::size_t i = 0; i < starts; ++i) {
    unsigned candidates = kMonthsByByte.months[static_cast<unsigned char>(value[i])] & open;
    if (candidates == 0) continue;
    const char c1 = lower(value[i + 1]);
    const char c2 = lower(value[i + 2]);
    for (; candidates != 0; candidates &= candidates - 1) {
      const int m = std::countr_zero(candidates);
      const std::string_view name = kMonthNames[m - 1];
      if (name[1] == c1 && name[2] == c2) {
        found = m;
        open = ((1u << m) - 1u) & ~1u;
        break;
      }
    }
    if (open == 0) break;  // January: none comes before it
  }
  return found;
}

// A number can only start with white space, a sign or a digit: read at any
// other byte it is 0.
inline bool may_start_number(char c) {
  return is_digit(c) || is_c_space(c) || c == '+' || c == '-';
}

// Reads the decimal number at successive, never decreasing positions of one
// line the way the standard string-to-integer conversion does (white space,
// one sign, digits; saturating). Runs of white space and of leading zeros are
// measured once and remembered, so that stepping through a hostile line one
// character at a time stays linear.
class NumberReader {
 public:
  explicit NumberReader(std::string_view line) : line_(line) {}

  std::int32_t at(std::size_t pos) {
    // A number can only start with white space, a sign or a digit: at any
    // other byte the reading gives 0 at once.
    if (pos < line_.size() && !may_start_number(line_[pos])) return 0;
    std::size_t i = skip(pos, space_from_, space_to_, [](char c) { return is_c_space(c); });
    bool negative = false;
    if (i < line_.size() && (line_[i] == '+' || line_[i] == '-')) {
      negative = line_[i] == '-';
      ++i;
    }
    i = skip(i, zero_from_, zero_to_, [](char c) { return c == '0'; });
    std::int64_t value = 0;
    constexpr std::int64_t kLimit = std::numeric_limits<std::int32_t>::max();
    // A value past the limit saturates, so more than 11 digits never matter.
    for (int count = 0; i < line_.size() && is_digit(line_[i]) && count < 11; ++i, ++count) {
      value = value * 10 + (line_[i] - '0');
    }
    if (negative) {
      value = -value;
      return value < std::numeric_limits<std::int32_t>::min()
                 ? std::numeric_limits<std::int32_t>::min()
                 : static_cast<std::int32_t>(value);
    }
    return value > kLimit ? static_cast<std::int32_t>(kLimit) : static_cast<std::int32_t>(value);
  }

 private:
  template <typename Pred>
  std::size_t skip(std::size_t pos, std::size_t& from, std::size_t& to, Pred pred) {
    if (from <= pos && pos <= to) return to;
    std::size_t i = pos;
    while (i < line_.size() && pred(line_[i])) ++i;
    from = pos;
    to = i;
    return i;
  }

  std::string_view line_;
  std::size_t space_from_ = kNotFound, space_to_ = 0;
  std::size_t zero_from_ = kNotFound, zero_to_ = 0;
};

}  // namespace

void parse_header_date(std::string_view line, ParsedDate& date) {
  const std::size_t n = line.size();

  // The value follows the first space after the line's first character.
  std::size_t value_start = n;
  if (n > 1) {
    std::size_t space = line.find(' ', 1);
    if (space != kNotFound) value_start = space + 1;
  }
  std::string_view value = line.substr(value_start);

  // Table order decides, not position in the line.
  const int month = find_month(value);
  if (month != 0) date.month = month;

  NumberReader number(line);
  std::size_t pos = value_start;
  while (pos < n && !is_digit(line[pos])) ++pos;
  while (pos < n) {
    if (pos + 2 < n && line[pos + 2] == ':') {
      date.time_text.assign(line.substr(pos));
      break;
    }
    // A byte that starts no number reads as 0, which changes nothing: the
    // day stays as it is and the next byte comes.
    if (!may_start_number(line[pos])) {
      ++pos;
      continue;
    }
    std::int32_t v = number.at(pos);
    bool taken = true;
    if (v < 32 && date.day == 0) {
      date.day = v;
    } else if (v > 1900) {
      date.year = v;
    } else if (v > 32 && v < 1900 && date.year == 0) {
      date.year = v + 1900;
    } else {
      taken = false;
    }
    if (taken) {
      while (pos < n && is_digit(line[pos])) ++pos;
    }
    if (pos < n) ++pos;
  }

  // Fallback: the first number above 1990 anywhere from the 9th character on,
  // else the last number read there.
  if (date.year < 1900 && n >= 9) {
    for (std::size_t i = 8; i < n; ++i) {
      if (line[i] == ' ' || line[i] == ':') continue;
      date.year = number.at(i);
      if (date.year > 1990) break;
    }
  }
}

}  // namespace mailsift
