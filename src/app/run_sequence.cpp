#include "app/run_sequence.h"

#include <new>

#include "config/settings.h"
#include "walk/walk.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "report/output_file.h"
#include "app/accounting_log.h"
#include "app/environment.h"
#include "app/run_config.h"
#include "util/count_format.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/usage.h"

namespace mailsift {

namespace {

// Conventions every command-line user expects; looked for before anything
// else so that asking for help never starts a walk.
void handle_help_and_version(RunContext& ctx) {
  for (std::size_t i = 1; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (a == "--help" || a == "-h") {
      show_usage(ctx);
      plain_exit(ctx, kNormalExit);
    }
    if (a == "--version") {
      ctx.console.out.write("mailsift Ver. " + build_version() + "\n");
      plain_exit(ctx, kNormalExit);
    }
  }
}

}  // namespace

int run_main(int argc, char** argv) {
  RunContext ctx;
  ctx.attach_process_streams();
  ctx.args.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) ctx.args.emplace_back(argv[i]);
  if (ctx.args.empty()) ctx.args.emplace_back("mailsift");
  try {
    try {
      run_sequence(ctx);
    } catch (const std::bad_alloc&) {
      // Memory that cannot be had ends the run in order, with its summary and
      // the log's closing lines, like every other failure.
      ctx.console.err.write("\nError obtaining memory\n");
      terminate_run(ctx, kMemoryError);
    }
  } catch (const RunExit& exit) {
    return exit.code;
  }
}

void run_sequence(RunContext& ctx) {
  ctx.args[0] = platform::executable_path(ctx.args[0]);
  platform::install_signal_handlers();
  handle_help_and_version(ctx);
  if (ctx.args.size() <= 1) {
    show_usage(ctx);
    plain_exit(ctx, kNormalExit);
  }
  setup_environment(ctx);
  apply_program_defaults(ctx.settings);
  configure_run(ctx);
  check_interrupt(ctx);  // before the report file is opened or truncated
  if (ctx.accounting_log.is_open()) echo_command_line(ctx);
  open_report_output(ctx);
  write_run_banner(ctx);
  collect_skip_set(ctx);
  prepare_report(ctx);
  if (ctx.settings.immediate == 0 && ctx.settings.output_mode != 0) {
    run_counting_pass(ctx);
  } else {
    ctx.settings.auto_width = 0;
  }
  ctx.counting_flag = false;
  if (ctx.accounting_log.is_open() && !ctx.lists.roots.empty()) {
    ctx.accounting_log.format(" Initial directory: %s\n", ctx.lists.roots.front().c_str());
  }
  for (std::string& root : ctx.lists.roots) {
    platform::append_separator(root);
    walk_directory(ctx, root);
  }
  check_interrupt(ctx);
  terminate_run(ctx, kNormalExit);
}

void echo_command_line(RunContext& ctx) {
  OutStream& log = ctx.accounting_log;
  for (const std::string& arg : ctx.args) {
    if (arg == "|") {
      log.write(" \"|\"");
    } else {
      log.put(' ');
      log.write(arg);
    }
  }
  log.write("\n");
}

void run_counting_pass(RunContext& ctx) {
  ctx.console.err.write("\nCounting files: ");
  for (std::string& root : ctx.lists.roots) {
    platform::append_separator(root);
    walk_directory(ctx, root);
  }
  ctx.counting_flag = false;
  Settings& s = ctx.settings;
  if (s.auto_width != 0) {
    s.name_width = static_cast<std::int32_t>(ctx.longest_path + 2);
    ctx.console.err.format("\r  Maximum path length found is %u, -w %d installed\n",
                           ctx.longest_path, s.name_width);
  }
  ctx.console.err.format("\r%10s files to process, ", format_count(ctx.pre_count).c_str());
  ctx.console.err.format("%s bytes\n", format_bytes(ctx.pre_bytes).c_str());
}

void collect_skip_set(RunContext& ctx) {
  ctx.skip_set.clear();
  platform::FileIdentity id;
  int report = ctx.report.handle();
  if (report >= 0 && platform::handle_is_regular_file(report) &&
      platform::handle_identity(report, id)) {
    ctx.skip_set.push_back(id);
  }
  int log = ctx.accounting_log.handle();
  if (log >= 0 && platform::handle_identity(log, id)) ctx.skip_set.push_back(id);
  // Standard output redirected into the tree being walked ("mailsift . > list")
  // also when the report itself goes to a named file.
  if (report != platform::kStdout && platform::handle_is_regular_file(platform::kStdout) &&
      platform::handle_identity(platform::kStdout, id)) {
    ctx.skip_set.push_back(id);
  }
}

}  // namespace mailsift
