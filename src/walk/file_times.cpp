// Breaking a file's three times into the calendar fields the report and the
// age filter use.
#include "walk/file_times.h"

namespace mailsift {

namespace {

// The year a zero file time falls in, and the year shown instead.
constexpr int kZeroTimeYear = 1601;
constexpr int kZeroTimeShownYear = 1980;

TimeFields break_down(platform::FileTime raw, bool utc) {
  TimeFields fields;
  platform::CalendarTime calendar;
  const bool converted = platform::file_time_to_calendar(raw, utc, calendar);
  if (converted) {
    fields.month = calendar.month;
    fields.day = calendar.day;
    fields.year = calendar.year;
    fields.hour = calendar.hour;
    fields.minute = calendar.minute;
    fields.second = calendar.second;
    fields.millisecond = calendar.millisecond;
  }
  // A raw zero is the zero time in every zone, also where local time puts it
  // on the last day of 1600. A time that cannot be converted has no date to
  // keep and is shown as the zero time too.
  const bool zero_time = raw == 0 || !converted || fields.year == kZeroTimeYear;
  if (zero_time || fields.hour > 24) {
    fields.hour = 0;
    fields.minute = 0;
    fields.second = 0;
  }
  if (zero_time) {
    fields.month = 0;
    fields.day = 0;
    fields.year = kZeroTimeShownYear;
  }
  return fields;
}

}  // namespace

FileTimes fill_file_times(const platform::EntryInfo& entry, bool utc) {
  FileTimes times;
  times.last_write = break_down(entry.write_time, utc);
  times.last_access = break_down(entry.access_time, utc);
  times.creation = break_down(entry.creation_time, utc);
  times.creation_raw = entry.creation_time;
  times.access_raw = entry.access_time;
  times.write_raw = entry.write_time;
  return times;
}

}  // namespace mailsift
