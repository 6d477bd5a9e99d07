#include "app/environment.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "app/run_context.h"

namespace mailsift {
namespace {

// Sets a variable for the lifetime of the object.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) { ::setenv(name, value, 1); }
  ~ScopedEnv() { ::unsetenv(name_); }

 private:
  const char* name_;
};

TEST(EnvironmentSwitches, SilentIsASubstringTestOnTheUpperCasedValue) {
  for (const char* value : {"on", "ON", "MONDAY", "bacon"}) {
    ScopedEnv silent("SILENT", value);
    EXPECT_TRUE(read_config_environment().silent) << value;
  }
  for (const char* value : {"1", "yes", "", "O N"}) {
    ScopedEnv silent("SILENT", value);
    EXPECT_FALSE(read_config_environment().silent) << value;
  }
  ::unsetenv("SILENT");
  EXPECT_FALSE(env_contains("ON", "SILENT"));
}

TEST(EnvironmentSwitches, ValuesAsSetAndStartTime) {
  ::unsetenv("ACCT");
  ScopedEnv delimeter("DELIMETER", "");
  ConfigEnvironment env = read_config_environment();
  EXPECT_FALSE(env.acct);
  EXPECT_EQ(env.delimeter, "");  // set, though empty
  ScopedEnv acct("ACCT", "On");
  EXPECT_EQ(read_config_environment().acct, "On");
  RunContext ctx;
  setup_environment(ctx);
  EXPECT_GT(ctx.start_time, 0);
  // No registry on this platform.
  EXPECT_EQ(ctx.last_access_setting, -1);
}

TEST(LastAccessReport, EveryTextExactly) {
  std::string log, messages;
  OutStream log_stream, message_stream;
  log_stream.attach_string(&log);
  message_stream.attach_string(&messages);
  const std::string lead = "    Last Access Date UPDATE is ";

  write_last_access_report(log_stream, message_stream, 0);
  EXPECT_EQ(log, lead + "turned ON\n");
  log.clear();
  write_last_access_report(log_stream, message_stream, 1);
  EXPECT_EQ(log, lead + "turned ***** OFF *****\n");
  log.clear();
  write_last_access_report(log_stream, message_stream, -1);
  EXPECT_EQ(log, lead +
                     "\"Disable Access Date Key\" Not Found\n"
                     "Default (except VISTA) is usually RESET ACCESS DATE\n\n"
                     "To confirm setting check registry key:\n"
                     "HKEY_LOCAL_MACHINE\n"
                     "SYSTEM\\CurrentControlSet\\Control\\FileSystem\\NtfsDisableLastAccessUpdate\n"
                     "A 1 means access data will NOT be updated");
  EXPECT_EQ(messages, "");
  log.clear();
  write_last_access_report(log_stream, message_stream, 2);
  EXPECT_EQ(log, lead);
  EXPECT_EQ(messages, "\nerror in obtaining registry key\n");
}

}  // namespace
}  // namespace mailsift
