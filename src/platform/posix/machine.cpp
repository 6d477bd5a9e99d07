// Machine facts: computer name, time zone, console character set, environment.
#include <langinfo.h>
#include <time.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#include "platform/platform.h"

namespace mailsift::platform {

bool computer_name(std::string& out) {
  char buffer[512];
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return false;
  buffer[sizeof buffer - 1] = '\0';
  out.assign(buffer);
  return !out.empty();
}

int last_access_setting() {
  return -1;
}

void refresh_time_zone() {
  ::tzset();
}

TimeZoneNames read_time_zone_names() {
  ::tzset();
  TimeZoneNames names;
  names.standard_name = tzname[0] != nullptr ? tzname[0] : "";
  if (daylight != 0 && tzname[1] != nullptr) names.daylight_name = tzname[1];
  names.offset_hours = static_cast<int>(timezone / 3600);
  return names;
}

bool console_is_utf8() {
  static int cached = -1;
  if (cached < 0) {
    const char* previous = std::setlocale(LC_CTYPE, nullptr);
    std::string saved = previous != nullptr ? previous : "C";
    bool utf8 = false;
    if (std::setlocale(LC_CTYPE, "") != nullptr) {
      const char* codeset = ::nl_langinfo(CODESET);
      utf8 = codeset != nullptr &&
             (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }
    std::setlocale(LC_CTYPE, saved.c_str());
    std::setlocale(LC_CTYPE, "C");
    cached = utf8 ? 1 : 0;
  }
  return cached == 1;
}

bool get_environment(const char* name, std::string& value) {
  const char* v = std::getenv(name);
  if (v == nullptr) return false;
  value.assign(v);
  return true;
}

}  // namespace mailsift::platform
