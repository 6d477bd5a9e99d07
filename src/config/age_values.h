// Age limit values: a number of days, or a date whose day count and 00:00
// file time become the limit.
#pragma once

#include <cstdint>
#include <string_view>

#include "options/walk_options.h"
#include "platform/platform.h"
#include "util/calendar.h"

namespace mailsift {

// A value with "-", "/" or a backslash is a date; any other a day count.
bool is_date_value(std::string_view value);

// The date a date value names (its layout told by where the separators and
// digits stand); two-digit years are in the 1900s.
CalendarDate parse_date_text(std::string_view text);

// Whole days from the date's local midnight to the clock's now.
std::int32_t days_since_date(const platform::Clock& clock, std::string_view text);

// Marks the times whose letters (a, c and w, either case) occur anywhere in
// a date value.
void note_date_letters(AgeFilter& age, std::string_view value);

// Sets newer_bound (01-01-1980 00:00:00) and older_bound (today 23:59:59).
void set_default_bounds(AgeFilter& age, const platform::Clock& clock);

// Stores an age value ("older": the older-than limit; else the newer-than
// one), a date or a day count.
void store_age_value(AgeFilter& age, const platform::Clock& clock, std::string_view value,
                     bool older);

}  // namespace mailsift
