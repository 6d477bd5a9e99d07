#include "config/age_values.h"

#include <cstdio>

#include "util/ascii.h"
#include "util/numbers.h"

namespace mailsift {

namespace {

// A date value is kept in a working copy of 20 characters with its
// terminator; longer values are cut to what fits.
constexpr std::size_t kMaxDateValue = 19;

// The character at position i, or 0 past the end (the text's terminator).
char char_at(std::string_view text, std::size_t i) {
  return i < text.size() ? text[i] : '\0';
}

bool is_digit(char c) {
  return c >= '0' && c <= '9';
}

bool is_space(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// Reads the decimal number at positions [first, last]: a non-digit ends it,
// no digits give 0.
int field_at(std::string_view text, std::size_t first, std::size_t last) {
  int value = 0;
  for (std::size_t i = first; i <= last; ++i) {
    char c = char_at(text, i);
    if (!is_digit(c)) break;
    value = value * 10 + (c - '0');
  }
  return value;
}

// Reads "integer, any character, integer, any character, integer" the way a
// scanning format does; numbers that are missing stay 0.
void read_three_numbers(std::string_view text, std::int32_t numbers[3]) {
  std::size_t pos = 0;
  for (int i = 0; i < 3; ++i) {
    std::size_t used = 0;
    std::int64_t v = read_int64_prefix(text.substr(pos), used);
    if (used == 0) return;
    numbers[i] = saturate_int32(v);
    pos += used;
    if (i < 2) {
      if (pos >= text.size()) return;
      ++pos;  // one separating character of any kind
    }
  }
}

std::uint64_t midnight_file_time(const CalendarDate& date) {
  return to_file_time(make_local_time(date.year, date.month, date.day, 0, 0, 0));
}

}  // namespace

bool is_date_value(std::string_view value) {
  return value.find_first_of("-/\\") != std::string_view::npos;
}

CalendarDate parse_date_text(std::string_view text) {
  const bool separated = !is_digit(char_at(text, 2)) || !is_digit(char_at(text, 4));
  int n = 0;
  if (separated) {
    n = 8;
    if (is_digit(char_at(text, 8))) {
      ++n;
      if (is_digit(char_at(text, 9))) ++n;
    }
  } else {
    n = 5;
    for (std::size_t i = 5; i <= 7; ++i) {
      char c = char_at(text, i);
      if (is_space(c)) {
        n = 6;
        break;
      }
      if (!is_digit(c)) break;
      ++n;
    }
  }
  const int v = field_at(text, 0, 1);

  // Positions of month, day and year for each layout.
  struct Layout {
    std::size_t month_first, day_first, year_first, year_last;
  };
  constexpr Layout kMmDdYy{0, 3, 6, 7}, kYyMmDd{3, 6, 0, 1}, kMmDdYyyy{0, 3, 6, 9},
      kYyyyMmDd{5, 8, 0, 3}, kMmddyy{0, 2, 4, 5}, kYymmdd{2, 4, 0, 1}, kMmddyyyy{0, 2, 4, 7},
      kYyyymmdd{4, 6, 0, 3};
  Layout layout = kMmddyy;
  if (separated) {
    if (n == 8) {
      layout = v <= 12 ? kMmDdYy : kYyMmDd;
    } else if (n == 9) {
      layout = kMmDdYy;
    } else {
      layout = v <= 13 ? kMmDdYyyy : kYyyyMmDd;
    }
  } else if (n == 6) {
    layout = v <= 12 ? kMmddyy : kYymmdd;
  } else if (n == 8) {
    layout = v <= 13 ? kMmddyyyy : (v <= 20 ? kYyyymmdd : kYymmdd);
  }

  CalendarDate date;
  date.month = field_at(text, layout.month_first, layout.month_first + 1);
  date.day = field_at(text, layout.day_first, layout.day_first + 1);
  date.year = field_at(text, layout.year_first, layout.year_last);
  if (date.year < 1900) date.year += 1900;
  return date;
}

std::int32_t days_since_date(const platform::Clock& clock, std::string_view text) {
  std::int32_t numbers[3] = {0, 0, 0};
  read_three_numbers(text, numbers);
  std::int32_t month = numbers[0], day = numbers[1], year = numbers[2];
  if (year >= 11 && year <= 99) {
    year += 1900;
  } else if (year >= 0 && year <= 9) {
    year += 2000;
  }
  // The rewritten text has room for 31 characters; numbers too large for it
  // are cut, as the positional reading only looks at the first ten anyway.
  char rewritten[32];
  std::snprintf(rewritten, sizeof rewritten, "%02d-%02d-%04d", static_cast<int>(month),
                static_cast<int>(day), static_cast<int>(year));
  CalendarDate date = parse_date_text(rewritten);
  std::int64_t midnight = make_local_time(date.year, date.month, date.day, 0, 0, 0);
  return saturate_int32((clock.now() - midnight) / 86400);
}

void note_date_letters(AgeFilter& age, std::string_view value) {
  for (char c : value) {
    const char lower = ascii_lower(c);
    if (lower == 'a') age.access_marked = true;
    if (lower == 'c') age.creation_marked = true;
    if (lower == 'w') age.write_marked = true;
  }
}

void set_default_bounds(AgeFilter& age, const platform::Clock& clock) {
  age.newer_bound = midnight_file_time(parse_date_text("01-01-1980"));
  CalendarDate now = today(clock);
  age.older_bound = to_file_time(make_local_time(now.year, now.month, now.day, 23, 59, 59));
}

void store_age_value(AgeFilter& age, const platform::Clock& clock, std::string_view value,
                     bool older) {
  Days& days = older ? age.older_than : age.newer_than;
  if (!is_date_value(value)) {
    days = Days{read_int32(value)};
    return;
  }
  std::string_view kept = value.substr(0, kMaxDateValue);
  note_date_letters(age, kept);
  days = Days{days_since_date(clock, kept)};
  (older ? age.older_bound : age.newer_bound) = midnight_file_time(parse_date_text(kept));
}

}  // namespace mailsift
