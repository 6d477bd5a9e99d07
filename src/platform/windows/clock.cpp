// The clock and calendar conversions. Seconds are broken down by the C
// runtime (its _tzset rules, as the start record and the output masks use
// them); file times by the system's time-zone rules in force at that date,
// so a report does not change between a summer and a winter run.
#include <time.h>

#include <ctime>

#include "platform/windows/windows_util.h"

namespace mailsift::platform {

std::int64_t Clock::now() const {
  FILETIME ft;
  ::GetSystemTimeAsFileTime(&ft);
  return static_cast<std::int64_t>(windows::file_time_of(ft) / 10000000ULL) - kFileTimeEpochOffset;
}

Clock& system_clock() {
  static Clock clock;
  return clock;
}

namespace {

void from_system_time(const SYSTEMTIME& st, CalendarTime& out) {
  out.year = st.wYear;
  out.month = st.wMonth;
  out.day = st.wDay;
  out.hour = st.wHour;
  out.minute = st.wMinute;
  out.second = st.wSecond;
  out.millisecond = st.wMilliseconds;
  out.weekday = st.wDayOfWeek;
}

}  // namespace

bool seconds_to_calendar(std::int64_t seconds, bool utc, CalendarTime& out) {
  const __time64_t t = static_cast<__time64_t>(seconds);
  std::tm tm{};
  if ((utc ? ::_gmtime64_s(&tm, &t) : ::_localtime64_s(&tm, &t)) != 0) return false;
  out.year = tm.tm_year + 1900;
  out.month = tm.tm_mon + 1;
  out.day = tm.tm_mday;
  out.hour = tm.tm_hour;
  out.minute = tm.tm_min;
  out.second = tm.tm_sec;
  out.millisecond = 0;
  out.weekday = tm.tm_wday;
  return true;
}

bool file_time_to_calendar(FileTime time, bool utc, CalendarTime& out) {
  // File times are signed: values with the top bit set have no date.
  if (time > 0x7FFFFFFFFFFFFFFFULL) return false;
  FILETIME ft;
  ft.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFFu);
  ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
  SYSTEMTIME universal;
  if (!::FileTimeToSystemTime(&ft, &universal)) return false;
  if (utc) {
    from_system_time(universal, out);
    return true;
  }
  SYSTEMTIME local;
  if (!::SystemTimeToTzSpecificLocalTime(nullptr, &universal, &local)) return false;
  from_system_time(local, out);
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
  const __time64_t t = ::_mktime64(&tm);
  if (t < 0) return -1;
  if (tm.tm_year + 1900 > 3000) return -1;
  return static_cast<std::int64_t>(t);
}

double process_seconds() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    ::QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER counter;
  ::QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / frequency;
}

}  // namespace mailsift::platform
