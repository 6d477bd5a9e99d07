#include "app/environment.h"

#include <string>

#include "app/run_context.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

void setup_environment(RunContext& ctx) {
  ctx.start_time = ctx.clock->now();
  platform::refresh_time_zone();
  ctx.last_access_setting = read_last_access_setting();
}

ConfigEnvironment read_config_environment() {
  ConfigEnvironment env;
  std::string value;
  if (platform::get_environment("ACCT", value)) env.acct = value;
  if (platform::get_environment("DELIMETER", value)) env.delimeter = value;
  env.silent = env_contains("ON", "SILENT");
  return env;
}

bool env_contains(std::string_view word, const char* variable) {
  std::string value;
  if (!platform::get_environment(variable, value)) return false;
  upper_in_place(value);
  std::string upper_word(word);
  upper_in_place(upper_word);
  return value.find(upper_word) != std::string::npos;
}

int read_last_access_setting() {
  return platform::last_access_setting();
}

void write_last_access_report(OutStream& log, OutStream& messages, int setting) {
  log.write("    Last Access Date UPDATE is ");
  switch (setting) {
    case 0:
      log.write("turned ON\n");
      break;
    case 1:
      log.write("turned ***** OFF *****\n");
      break;
    case -1:
      log.write(
          "\"Disable Access Date Key\" Not Found\n"
          "Default (except VISTA) is usually RESET ACCESS DATE\n\n");
      log.write("To confirm setting check registry key:\n");
      log.write(
          "HKEY_LOCAL_MACHINE\n"
          "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\NtfsDisableLastAccessUpdate\n");
      log.write("A 1 means access data will NOT be updated");
      break;
    default:
      messages.write("\nerror in obtaining registry key\n");
      break;
  }
}

}  // namespace mailsift
