// Age and size limits: the tests the dispatch applies to each file.
#include "walk/age_filter.h"

#include "config/settings.h"
#include "util/calendar.h"
#include "util/numbers.h"

namespace mailsift {

namespace {

// The local calendar date of a file time; a zero time (or one that cannot be
// converted) is month 0, day 0 of 1980, as the dispatch's time record has it.
CalendarDate local_date_of(platform::FileTime time) {
  platform::CalendarTime cal;
  if (time == 0 || !platform::file_time_to_calendar(time, false, cal) || cal.year <= 1601) {
    return CalendarDate{1980, 0, 0};
  }
  return CalendarDate{cal.year, cal.month, cal.day};
}

}  // namespace

std::int32_t age_in_days(const platform::Clock& clock, const platform::EntryInfo& entry,
                         int time_letter) {
  CalendarDate now = today(clock);
  platform::FileTime chosen = entry.write_time;
  if (time_letter == 'a' || time_letter == 'A') {
    chosen = entry.access_time;
  } else if (time_letter == 'c' || time_letter == 'C') {
    chosen = entry.creation_time;
  }
  CalendarDate file = local_date_of(chosen);
  return saturate_int32(static_cast<std::int64_t>(day_number(now.year, now.month, now.day)) -
                        day_number(file.year, file.month, file.day));
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
