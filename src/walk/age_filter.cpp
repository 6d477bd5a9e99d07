// Age and size limits: the date-value syntax, the conversions behind it and
// the tests the dispatch applies to each file.
#include "walk/age_filter.h"

#include <cstdio>
#include <limits>
#include <string>

#include "config/options.h"
#include "config/settings.h"
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
    if (v > std::numeric_limits<std::int32_t>::max()) v = std::numeric_limits<std::int32_t>::max();
    if (v < std::numeric_limits<std::int32_t>::min()) v = std::numeric_limits<std::int32_t>::min();
    numbers[i] = static_cast<std::int32_t>(v);
    pos += used;
    if (i < 2) {
      if (pos >= text.size()) return;
      ++pos;  // one separating character of any kind
    }
  }
}

// Days from 1970-01-01 to the given Gregorian date (month and day may lie
// outside their usual range only as far as day_number allows).
std::int64_t days_from_civil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

bool is_leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

std::int32_t clamp32(std::int64_t v) {
  if (v > std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (v < std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(v);
}

// The local calendar date of a file time; a zero time (or one that cannot be
// converted) is month 0, day 0 of 1980, as the dispatch's time record has it.
DateParts local_date_of(platform::FileTime time) {
  platform::CalendarTime cal;
  if (time == 0 || !platform::file_time_to_calendar(time, false, cal) || cal.year <= 1601) {
    return DateParts{1980, 0, 0};
  }
  return DateParts{cal.year, cal.month, cal.day};
}

DateParts today(const platform::Clock& clock) {
  platform::CalendarTime cal;
  if (!platform::seconds_to_calendar(clock.now(), false, cal)) return DateParts{1980, 1, 1};
  return DateParts{cal.year, cal.month, cal.day};
}

bool contains_date_separator(std::string_view value) {
  return value.find_first_of("-/\\") != std::string_view::npos;
}

}  // namespace

DateParts parse_date_text(std::string_view text) {
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

  DateParts parts;
  parts.month = field_at(text, layout.month_first, layout.month_first + 1);
  parts.day = field_at(text, layout.day_first, layout.day_first + 1);
  parts.year = field_at(text, layout.year_first, layout.year_last);
  if (parts.year < 1900) parts.year += 1900;
  return parts;
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
  DateParts date = parse_date_text(rewritten);
  std::int64_t midnight = make_local_time(date.year, date.month, date.day, 0, 0, 0);
  std::int64_t now = clock.now();
  return clamp32((now - midnight) / 86400);
}

std::int64_t make_local_time(int year, int month, int day, int hour, int minute, int second) {
  return platform::local_standard_to_seconds(year, month, day, hour, minute, second);
}

std::uint64_t to_file_time(std::int64_t seconds) {
  return static_cast<std::uint64_t>(seconds + platform::kFileTimeEpochOffset) * 10000000ULL;
}

std::int32_t day_number(int year, int month, int day) {
  static constexpr int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int m = month < 0 ? 0 : (month > 12 ? 12 : month);
  std::int64_t day_of_year = kDaysBefore[m] + day;
  if (m > 2 && is_leap(year)) ++day_of_year;
  // Days from 1 January 1900 to 1 January of the year; the constant that
  // makes 1 January 1900 day 1 is the only one differences ever need.
  std::int64_t to_year = days_from_civil(year, 1, 1) - days_from_civil(1900, 1, 1);
  return clamp32(to_year + day_of_year);
}

std::int32_t age_in_days(const platform::Clock& clock, const platform::EntryInfo& entry,
                         int time_letter) {
  DateParts now = today(clock);
  platform::FileTime chosen = entry.write_time;
  if (time_letter == 'a' || time_letter == 'A') {
    chosen = entry.access_time;
  } else if (time_letter == 'c' || time_letter == 'C') {
    chosen = entry.creation_time;
  }
  DateParts file = local_date_of(chosen);
  return clamp32(static_cast<std::int64_t>(day_number(now.year, now.month, now.day)) -
                 day_number(file.year, file.month, file.day));
}

void set_default_bounds(Settings& settings, const platform::Clock& clock) {
  DateParts start = parse_date_text("01-01-1980");
  settings.newer_bound = to_file_time(make_local_time(start.year, start.month, start.day, 0, 0, 0));
  DateParts now = today(clock);
  settings.older_bound = to_file_time(make_local_time(now.year, now.month, now.day, 23, 59, 59));
}

void store_age_value(Settings& settings, const platform::Clock& clock, std::string_view value,
                     bool older) {
  std::int32_t& days = older ? settings.older_days : settings.newer_days;
  if (!contains_date_separator(value)) {
    days = read_int32(value);
    return;
  }
  std::string_view kept = value.substr(0, kMaxDateValue);
  note_date_letters(settings, kept);
  std::string text = narrow_copy(kept);
  days = days_since_date(clock, text);
  DateParts date = parse_date_text(text);
  std::uint64_t& bound = older ? settings.older_bound : settings.newer_bound;
  bound = to_file_time(make_local_time(date.year, date.month, date.day, 0, 0, 0));
}

bool passes_age_filter(const Settings& s, const platform::Clock& clock,
                       const platform::EntryInfo& entry) {
  if (s.age_filter_on == 0) return true;
  const bool any_letter = s.date_letter_a != 0 || s.date_letter_c != 0 || s.date_letter_w != 0;
  if (any_letter) {
    if (s.older_than_date == 0 && s.newer_than_date == 0) return true;
    auto inside = [&s](platform::FileTime t) { return t > s.newer_bound && t < s.older_bound; };
    return (s.date_letter_a != 0 && inside(entry.access_time)) ||
           (s.date_letter_c != 0 && inside(entry.creation_time)) ||
           (s.date_letter_w != 0 && inside(entry.write_time));
  }
  const std::int32_t age = age_in_days(clock, entry, s.time_letter);
  return s.older_days <= age && age < s.newer_days;
}

bool passes_size_filter(const Settings& settings, std::int64_t size) {
  if (settings.size_greater_on != 0 && size < settings.size_greater) return false;
  if (settings.size_less_on != 0 && size > settings.size_less) return false;
  return true;
}

}  // namespace mailsift
