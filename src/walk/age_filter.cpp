// Age and size limits: the tests the dispatch applies to each file.
#include "walk/age_filter.h"

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

bool passes_age_filter(const AgeFilter& age, const platform::Clock& clock,
                       const platform::EntryInfo& entry) {
  if (!age.on) return true;
  if (age.access_marked || age.creation_marked || age.write_marked) {
    if (!age.older_given && !age.newer_given) return true;
    auto inside = [&age](platform::FileTime t) {
      return t > age.newer_bound && t < age.older_bound;
    };
    return (age.access_marked && inside(entry.access_time)) ||
           (age.creation_marked && inside(entry.creation_time)) ||
           (age.write_marked && inside(entry.write_time));
  }
  const Days days{age_in_days(clock, entry, age.time_letter)};
  return age.older_than <= days && days < age.newer_than;
}

bool passes_size_filter(const WalkOptions& options, std::int64_t size) {
  if (options.min_size && size < *options.min_size) return false;
  if (options.max_size && size > *options.max_size) return false;
  return true;
}

}  // namespace mailsift
