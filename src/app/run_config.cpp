#include "app/run_config.h"

#include "app/accounting_log.h"
#include "app/pause.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/usage.h"
#include "config/configure.h"
#include "platform/platform.h"
#include "report/output_file.h"

namespace mailsift {

LogOpening RunConfigHost::open_accounting_log(const std::string& path) {
  switch (mailsift::open_accounting_log(ctx_, path)) {
    case LogOpenResult::kOpened:
      return {true, {}};
    case LogOpenResult::kNotOpened:
      break;
    case LogOpenResult::kNotPrepared:
      return {false, ConfigStop::plain(kLogFileExit)};
    case LogOpenResult::kInterrupted:
      return {false, ConfigStop::with_summary(kUserAborted)};
  }
  return {false, {}};
}

bool RunConfigHost::accounting_log_is_open() const {
  return ctx_.accounting_log.is_open();
}

void RunConfigHost::replace_accounting_log(LogReplacedBy by, const std::string& new_path) {
  mailsift::replace_accounting_log(ctx_, by, new_path);
}

void RunConfigHost::close_accounting_log() {
  ctx_.accounting_log.close();
}

void RunConfigHost::expand_output_mask(std::string& path) {
  if (has_output_mask(path))
    mailsift::expand_output_mask(*ctx_.clock, ctx_.computer_name_source, path);
}

bool RunConfigHost::pause_after_warning(const OutStream& warned_on, int seconds) {
  return wait_seconds(ctx_.console, warned_on, seconds);
}

bool RunConfigHost::wait_for_key() {
  if (!ctx_.console.stdin_is_terminal) return false;
  ctx_.console.flush();
  char c;
  platform::read_handle(platform::kStdin, &c, 1);
  return platform::interrupted();
}

void configure_run(RunContext& ctx) {
  RunConfigHost host(ctx);
  const ConfigStop stop =
      configure({ctx.settings, ctx.lists, ctx.args, ctx.file_list}, host, ctx.console, *ctx.clock);
  if (!stop) return;
  if (stop.usage_first) show_usage(ctx);
  if (stop.summary) terminate_run(ctx, stop.code);
  plain_exit(ctx, stop.code);
}

}  // namespace mailsift
