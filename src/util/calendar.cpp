#include "util/calendar.h"

#include "util/numbers.h"

namespace mailsift {

namespace {

// Days from 1970-01-01 to the given Gregorian date.
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

}  // namespace

int month_from_name(std::string_view text) {
  for (int i = 0; i < 12; ++i) {
    if (text.substr(0, kMonthNames[i].size()) == kMonthNames[i]) return i + 1;
  }
  return 0;
}

std::int32_t day_number(int year, int month, int day) {
  static constexpr int kDaysBefore[13] = {0, 0, 31, 59, 90, 120, 151, 181, 212, 243, 273, 304, 334};
  int m = month < 0 ? 0 : (month > 12 ? 12 : month);
  std::int64_t day_of_year = kDaysBefore[m] + day;
  if (m > 2 && is_leap(year)) ++day_of_year;
  // Days from 1 January 1900 to 1 January of the year; the constant that
  // makes 1 January 1900 day 1 is the only one differences ever need.
  std::int64_t to_year = days_from_civil(year, 1, 1) - days_from_civil(1900, 1, 1);
  return saturate_int32(to_year + day_of_year);
}

std::int64_t make_local_time(int year, int month, int day, int hour, int minute, int second) {
  return platform::local_standard_to_seconds(year, month, day, hour, minute, second);
}

std::uint64_t to_file_time(std::int64_t seconds) {
  return static_cast<std::uint64_t>(seconds + platform::kFileTimeEpochOffset) * 10000000ULL;
}

std::int64_t days_from_epoch(std::int64_t year, int month, int day) {
  return days_from_civil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

CalendarDate date_from_epoch_days(std::int64_t days) {
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned day = doy - (153 * mp + 2) / 5 + 1;
  const unsigned month = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t year = static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
  return CalendarDate{static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

CalendarDate today(const platform::Clock& clock) {
  platform::CalendarTime cal;
  if (!platform::seconds_to_calendar(clock.now(), false, cal)) return CalendarDate{1980, 1, 1};
  return CalendarDate{cal.year, cal.month, cal.day};
}

}  // namespace mailsift
