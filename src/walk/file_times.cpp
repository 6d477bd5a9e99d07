// Breaking a file's write time into the calendar fields of its row.
#include "walk/file_times.h"

namespace mailsift {

namespace {

// The year a zero file time falls in, and the year shown instead.
constexpr int kZeroTimeYear = 1601;
constexpr int kZeroTimeShownYear = 1980;

ModTime break_down(platform::FileTime raw, bool utc) {
  ModTime fields;
  platform::CalendarTime calendar;
  const bool converted = platform::file_time_to_calendar(raw, utc, calendar);
  if (converted) {
    fields.month = calendar.month;
    fields.day = calendar.day;
    fields.year = calendar.year;
    fields.hour = calendar.hour;
    fields.minute = calendar.minute;
  }
  // A raw zero is the zero time in every zone, also where local time puts it
  // on the last day of 1600. A time that cannot be converted has no date to
  // keep and is shown as the zero time too.
  const bool zero_time = raw == 0 || !converted || fields.year == kZeroTimeYear;
  if (zero_time || fields.hour > 24) {
    fields.hour = 0;
    fields.minute = 0;
  }
  if (zero_time) {
    fields.month = 0;
    fields.day = 0;
    fields.year = kZeroTimeShownYear;
  }
  return fields;
}

}  // namespace

ModTime modification_time(const platform::EntryInfo& entry, bool utc) {
  return break_down(entry.write_time, utc);
}

}  // namespace mailsift
