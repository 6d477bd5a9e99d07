#include "util/calendar.h"

namespace mailsift {

int month_from_name(std::string_view text) {
  for (int i = 0; i < 12; ++i) {
    if (text.substr(0, kMonthNames[i].size()) == kMonthNames[i]) return i + 1;
  }
  return 0;
}

}  // namespace mailsift
