// Calendar helpers shared by the layers: the month names, a date as year,
// month and day, day numbers for differences in days, and the local time and
// file time conversions of the age limits.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace mailsift {

struct CalendarDate {
  int year = 0;
  int month = 0;  // 1..12 (0 where no month is known)
  int day = 0;
};

// The three-letter English month names, January first.
inline constexpr std::string_view kMonthNames[12] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// 1 to 12 when `text` begins with a month name (case as in the table), else 0.
int month_from_name(std::string_view text);

// Days from 1 January 1900 (day 1) to the given date; a month outside 1..12
// counts as the nearest of them, a day outside its month carries over.
std::int32_t day_number(int year, int month, int day);

// Local calendar fields taken as standard time; -1 before 1970 or after 3000.
std::int64_t make_local_time(int year, int month, int day, int hour, int minute, int second);

// Seconds since 1970 as a file time (100-nanosecond steps since 1601).
std::uint64_t to_file_time(std::int64_t seconds);

// Days from 1 January 1970 to a date of the Gregorian calendar (negative
// before it), and back.
std::int64_t days_from_epoch(std::int64_t year, int month, int day);
CalendarDate date_from_epoch_days(std::int64_t days);

// Today's local date by `clock` (1 January 1980 when it cannot be had).
CalendarDate today(const platform::Clock& clock);

}  // namespace mailsift
