// The clock and calendar conversions.
#include <time.h>

#include <ctime>

#include "platform/platform.h"

namespace mailsift::platform {

std::int64_t Clock::now() const {
  timespec ts;
  ::clock_gettime(CLOCK_REALTIME, &ts);
  return ts.tv_sec;
}

Clock& system_clock() {
  static Clock clock;
  return clock;
}

namespace {
bool from_tm(const std::tm& tm, CalendarTime& out) {
  out.year = tm.tm_year + 1900;
  out.month = tm.tm_mon + 1;
  out.day = tm.tm_mday;
  out.hour = tm.tm_hour;
  out.minute = tm.tm_min;
  out.second = tm.tm_sec;
  out.weekday = tm.tm_wday;
  return true;
}
}  // namespace

bool seconds_to_calendar(std::int64_t seconds, bool utc, CalendarTime& out) {
  time_t t = static_cast<time_t>(seconds);
  std::tm tm{};
  if ((utc ? ::gmtime_r(&t, &tm) : ::localtime_r(&t, &tm)) == nullptr) return false;
  out.millisecond = 0;
  return from_tm(tm, out);
}

bool file_time_to_calendar(FileTime time, bool utc, CalendarTime& out) {
  // File times are signed on the system that defines them: values with the
  // top bit set have no calendar date.
  if (time > 0x7FFFFFFFFFFFFFFFULL) return false;
  std::int64_t seconds = static_cast<std::int64_t>(time / 10000000ULL) - kFileTimeEpochOffset;
  if (!seconds_to_calendar(seconds, utc, out)) return false;
  out.millisecond = static_cast<int>((time % 10000000ULL) / 10000ULL);
  return true;
}

std::int64_t local_standard_to_seconds(int year, int month, int day, int hour, int minute,
                                       int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = 0;  // taken as standard time
  time_t t = ::mktime(&tm);
  if (t == static_cast<time_t>(-1) || t < 0) return -1;
  if (tm.tm_year + 1900 > 3000) return -1;
  return static_cast<std::int64_t>(t);
}

double process_seconds() {
  timespec ts;
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<double>(ts.tv_sec) + static_cast<double>(ts.tv_nsec) / 1e9;
}

}  // namespace mailsift::platform
