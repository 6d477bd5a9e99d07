// One file's three times as the dispatch prepares them for the filters and the
// scanner.
#pragma once

#include <cstdint>

#include "platform/platform.h"

namespace mailsift {

struct TimeFields {
  std::int32_t month = 0;
  std::int32_t day = 0;
  std::int32_t year = 0;
  std::int32_t hour = 0;
  std::int32_t minute = 0;
  std::int32_t second = 0;
  std::int32_t millisecond = 0;
};

struct FileTimes {
  TimeFields last_write;
  TimeFields last_access;
  TimeFields creation;
  platform::FileTime creation_raw = 0;
  platform::FileTime access_raw = 0;
  platform::FileTime write_raw = 0;
};

// Breaks the entry's three times into calendar fields, local or UTC. A zero
// time becomes month 0, day 0, year 1980 at 00:00:00; an hour above 24 or a
// failed conversion keeps the date but zeroes the time of day.
FileTimes fill_file_times(const platform::EntryInfo& entry, bool utc);

}  // namespace mailsift
