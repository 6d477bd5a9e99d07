// The age filter's date syntax: a day count or a date with its letters, for
// the older and the newer bound, and the plain date reading behind them.
#include <cstdint>
#include <string>

#include "config/age_values.h"
#include "fuzz/fuzz_input.h"
#include "options/walk_options.h"
#include "platform/platform.h"

namespace {

// 2013-08-21 11:04:06 UTC, so that day counts do not depend on the day the
// fuzzer runs.
class FixedClock : public mailsift::platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::string_view text = fuzz::as_text(data, size);
  const bool older = (fuzz::take_byte(text) & 1) != 0;
  static const FixedClock clock;
  AgeFilter age;
  set_default_bounds(age, clock);
  store_age_value(age, clock, text, older);
  days_since_date(clock, text);
  const CalendarDate parts = parse_date_text(text);
  (void)parts;
  return 0;
}
