#include "app/run_config.h"

#include <string>
#include <utility>
#include <variant>

#include "app/accounting_log.h"
#include "app/environment.h"
#include "app/pause.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/usage.h"
#include "config/configure.h"
#include "config/ini_file.h"
#include "platform/platform.h"

namespace mailsift {

namespace {

// Ends a run that ends while configuration is carried out: with the options
// read up to that point, and no list file open.
[[noreturn]] void end_configured(RunContext& ctx, const EndState& ending, int code, bool summary) {
  ctx.report_options.target = ending.target;
  ctx.run_options.quiet = ending.quiet;
  ctx.file_list.close();
  if (summary) terminate_run(ctx, code);
  plain_exit(ctx, code);
}

OutStream& stream_of(Console& console, Channel channel) {
  switch (channel) {
    case Channel::kError:
      return console.err;
    case Channel::kOutput:
      return console.out;
    case Channel::kMessages:
      break;
  }
  return console.messages();
}

// One key from a terminal (nobody can answer a pipe or a file). True when
// an interrupt arrived meanwhile.
bool wait_for_key(Console& console) {
  if (!console.stdin_is_terminal) return false;
  console.flush();
  char c;
  platform::read_handle(platform::kStdin, &c, 1);
  return platform::interrupted();
}

struct Carrier {
  RunContext& ctx;
  const EndState& ending;

  // False when the log could not be opened (its message is written).
  bool open_log(const std::string& path) {
    switch (open_accounting_log(ctx, path)) {
      case LogOpenResult::kOpened:
        return true;
      case LogOpenResult::kNotOpened:
        break;
      case LogOpenResult::kNotPrepared:
        end_configured(ctx, ending, kLogFileExit, false);
      case LogOpenResult::kInterrupted:
        end_configured(ctx, ending, kUserAborted, true);
    }
    return false;
  }

  void operator()(const ShowText& show) {
    OutStream& out = stream_of(ctx.console, show.channel);
    out.write(show.text);
    if (wait_seconds(ctx.console, out, show.pause_seconds)) {
      end_configured(ctx, ending, kUserAborted, true);
    }
  }
  void operator()(const WaitForKey&) {
    if (wait_for_key(ctx.console)) end_configured(ctx, ending, kUserAborted, true);
  }
  void operator()(const OpenLog& log) { open_log(log.path); }
  void operator()(const ReplaceLog& log) { replace_accounting_log(ctx, log.by, log.named); }
  void operator()(const CloseLog&) { ctx.accounting_log.close(); }
  void operator()(const OpenRequestedLog& log) {
    const LogRequest& request = log.request;
    if (request.path && !open_log(*request.path)) {
      ctx.console.messages().write("\nAccounting file not opened\n");
    }
    if (!ctx.accounting_log.is_open() && request.split_path) open_log(*request.split_path);
  }
  void operator()(const OpenFileList& list) {
    platform::File file(platform::open_path(list.path, platform::OpenMode::kRead));
    if (!file.is_open()) {
      ctx.console.messages().write("\nCannot find/open " + list.path);
      end_configured(ctx, ending, kInputFile, false);
    }
    ctx.file_list = std::move(file);
  }
  void operator()(const ShowUsage&) { show_usage(ctx); }
  void operator()(const EndRun& end) { end_configured(ctx, ending, end.code, end.summary); }
};

}  // namespace

void carry_out(RunContext& ctx, const ConfigAction& action) {
  std::visit(Carrier{ctx, action.ending}, action.what);
}

void configure_run(RunContext& ctx) {
  const IniFile ini(ctx.args);
  ConfigReader reader(
      {read_config_environment(), ini.text(), ctx.args, ctx.clock, ctx.computer_name_source});
  while (const ConfigAction* action = reader.next_action()) carry_out(ctx, *action);
  Configuration& c = reader.result();
  ctx.walk_options = std::move(c.walk);
  ctx.lists = std::move(c.lists);
  ctx.scan_options = c.scan;
  ctx.report_options = std::move(c.report);
  ctx.run_options = c.run;
  ctx.args = std::move(c.args);
}

}  // namespace mailsift
