// Age limits: date values, day counts and the conversions behind them.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/platform.h"

namespace mailsift {

struct RunContext;
struct Settings;

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
};

std::int32_t days_since_date(const platform::Clock& clock, std::string_view text);
DateParts parse_date_text(std::string_view text);
std::int64_t make_local_time(int year, int month, int day, int hour, int minute, int second);
std::uint64_t to_file_time(std::int64_t seconds);
std::int32_t day_number(int year, int month, int day);
// Age in calendar days of the chosen time (local dates).
std::int32_t age_in_days(const platform::Clock& clock, const platform::EntryInfo& entry,
                         int time_letter);
// Sets newer_bound (01-01-1980 00:00:00) and older_bound (today 23:59:59).
void set_default_bounds(Settings& settings, const platform::Clock& clock);
// Stores an age value ("older": -g family; else -l family), date or days.
void store_age_value(Settings& settings, const platform::Clock& clock, std::string_view value,
                     bool older);
// The age and size tests of the dispatch.
bool passes_age_filter(const Settings& settings, const platform::Clock& clock,
                       const platform::EntryInfo& entry);
bool passes_size_filter(const Settings& settings, std::int64_t size);

}  // namespace mailsift
