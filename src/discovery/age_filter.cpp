// PLACEHOLDER: replaced by the command-line work.
#include "discovery/age_filter.h"

namespace mailsift {

std::int32_t days_since_date(const platform::Clock&, std::string_view) { return 0; }
DateParts parse_date_text(std::string_view) { return {}; }
std::int64_t make_local_time(int, int, int, int, int, int) { return -1; }
std::uint64_t to_file_time(std::int64_t seconds) {
  return static_cast<std::uint64_t>((seconds + platform::kFileTimeEpochOffset) * 10000000LL);
}
std::int32_t day_number(int, int, int) { return 0; }
std::int32_t age_in_days(const platform::Clock&, const platform::EntryInfo&, int) { return 0; }
void set_default_bounds(Settings&, const platform::Clock&) {}
void store_age_value(Settings&, const platform::Clock&, std::string_view, bool) {}
bool passes_age_filter(const RunContext&, const platform::EntryInfo&) { return true; }
bool passes_size_filter(const Settings&, std::int64_t) { return true; }

}  // namespace mailsift
