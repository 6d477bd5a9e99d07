// The time-zone texts of the accounting log's start line.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

struct RunContext;

struct TimeZoneTexts {
  std::string local_text;  // 24-character local date-time
  std::string gmt_text;    // 24-character UTC date-time
  std::string standard_name;
  std::string standard_abbreviation;
  std::string daylight_abbreviation;  // empty without daylight saving time
  int offset_hours = 0;               // positive west of Greenwich
};

// Short form of a zone name: its first three characters, the second replaced
// by the character after the first blank and the third by the character after
// the next blank, where there are such; "Eastern Standard Time" gives "EST".
std::string zone_abbreviation(std::string_view name, bool upper);

// Refreshes the zone rules and gathers the texts for the current time.
TimeZoneTexts read_time_zone(const RunContext& ctx);

}  // namespace mailsift
