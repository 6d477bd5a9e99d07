#include "app/time_zone.h"

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

std::string zone_abbreviation(std::string_view name, bool upper) {
  std::string abbreviation(name.substr(0, 3));
  std::size_t blank = name.find(' ');
  if (blank != std::string_view::npos && blank + 1 < name.size() && abbreviation.size() > 1) {
    abbreviation[1] = name[blank + 1];
    std::size_t next = name.find(' ', blank + 1);
    if (next != std::string_view::npos && next + 1 < name.size() && abbreviation.size() > 2) {
      abbreviation[2] = name[next + 1];
    }
  }
  if (upper) upper_in_place(abbreviation);
  return abbreviation;
}

TimeZoneTexts read_time_zone(const RunContext& ctx) {
  platform::TimeZoneNames names = ctx.time_zone_source();
  const std::int64_t now = ctx.clock->now();
  TimeZoneTexts texts;
  texts.local_text = date_time_text(now, false);
  texts.gmt_text = date_time_text(now, true);
  texts.standard_name = names.standard_name;
  texts.standard_abbreviation = zone_abbreviation(names.standard_name, true);
  if (!names.daylight_name.empty()) {
    texts.daylight_abbreviation = zone_abbreviation(names.daylight_name, false);
  }
  texts.offset_hours = names.offset_hours;
  return texts;
}

}  // namespace mailsift
