#include "app/run_sequence.h"

#include <exception>
#include <memory>
#include <new>
#include <optional>

#include "app/accounting_log.h"
#include "app/environment.h"
#include "app/parallel_scan.h"
#include "app/read_ahead.h"
#include "app/read_ahead_queue.h"
#include "app/report_setup.h"
#include "app/run_config.h"
#include "app/run_context.h"
#include "app/scan_pipeline.h"
#include "app/terminate.h"
#include "app/usage.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "platform/read_ring.h"
#include "report/row_sink.h"
#include "util/count_format.h"
#include "walk/walk.h"

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
  return run_guarded(ctx, &run_sequence);
}

int run_guarded(RunContext& ctx, void (*body)(RunContext&)) {
  try {
    try {
      body(ctx);
      terminate_run(ctx, kNormalExit);
    } catch (const RunExit&) {
      throw;
    } catch (const std::bad_alloc&) {
      // Memory that cannot be had ends the run in order, with its summary and
      // the log's closing lines, like every other failure.
      ctx.console.err.write("\nError obtaining memory\n");
      terminate_run(ctx, kMemoryError);
    } catch (const std::exception& error) {
      ctx.console.err.format("\nUnexpected error: %s\n", error.what());
      terminate_run(ctx, kNonSpecificError);
    } catch (...) {
      terminate_run(ctx, kNonSpecificError);
    }
  } catch (const RunExit& exit) {
    return exit.code;
  } catch (...) {
    // The orderly end itself failed; nothing more can be written.
    return kNonSpecificError;
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
  configure_run(ctx);
  check_interrupt(ctx);  // before the report file is opened or truncated
  if (ctx.accounting_log.is_open()) echo_command_line(ctx);
  open_report_output(ctx);
  write_run_banner(ctx);
  collect_skip_set(ctx);
  const bool from_list = ctx.file_list.is_open();  // "--source=" opened its list
  write_report_header(ctx, from_list);

  // Each root is walked with a trailing separator.
  std::vector<std::string> walk_roots = ctx.lists.roots;
  for (std::string& root : walk_roots) platform::append_separator(root);
  if (!from_list) {
    // The counting pass comes before a report that goes to a named place.
    const bool counted = ctx.run_options.counting_pass &&
                         ctx.report_options.target != ReportTarget::kStandardOutput;
    if (counted) run_counting_pass(ctx, walk_roots);
    if (ctx.accounting_log.is_open() && !ctx.lists.roots.empty()) {
      // The log names the first root as the counting pass left it: with its
      // separator once it was counted; a long-path prefix is not shown.
      const std::string& first = counted ? walk_roots.front() : ctx.lists.roots.front();
      const std::string shown(platform::display_path(first));
      ctx.accounting_log.format(" Initial directory: %s\n", shown.c_str());
    }
  }
  end_run(ctx, report_files(ctx, walk_roots, from_list));
}

RunEnd report_files(RunContext& ctx, const std::vector<std::string>& walk_roots, bool from_list) {
  RowSink sink(ctx.report, ctx.console.err, ctx.counts.file_count, &ctx.archive_counts);
  const int jobs = resolve_jobs(ctx.run_options.jobs);
  // Every read of the scan goes through the read-ahead, which reads the
  // files held back in the queue, and those waiting in the parallel scan's
  // ring, ahead of their scan. Only the system's own files can be read by
  // the system's ring (tests walk trees in memory).
  const std::size_t depth = ReadAheadQueue::depth_for(jobs, platform::open_handle_limit());
  const std::size_t slots = depth + (jobs > 1 ? ParallelScan::ring_size(jobs) : 0) + static_cast<std::size_t>(jobs);
  const platform::ReadMode mode = platform::read_mode();
  ReadAhead ahead(*ctx.fs,
                  ctx.fs == &platform::real_file_system() && mode != platform::ReadMode::kPlain
                      ? platform::open_read_ring(static_cast<unsigned>(slots))
                      : nullptr,
                  slots, depth, mode == platform::ReadMode::kAhead);
  const std::unique_ptr<ScanStage> scan = make_scan_stage(
      LaneOptions{ctx.scan_options, ctx.report_options, ctx.run_options.mbox}, sink, jobs);
  ReadAheadQueue queue(ahead, *scan, depth);
  // The walk opens the files through the read-ahead, so that the scan's
  // reads of them go through it.
  WalkContext walk = make_walk_context(ctx, &queue, &ahead);
  Stop source_stop = Stop::kNone;
  if (from_list) {
    source_stop = read_file_list(walk, ctx.file_list);
  } else {
    for (const std::string& root : walk_roots) {
      source_stop = walk_directory(walk, root);
      if (source_stop != Stop::kNone) break;
    }
  }
  const Stop stop = queue.finish(source_stop);
  if (scan->read_failed()) ctx.read_failed = true;
  if (from_list) {
    ctx.file_list.close();
    if (source_stop == Stop::kReadError && stop == Stop::kNone) {
      ctx.console.err.format("\ncan't read the file list (%s)", walk.list_error.c_str());
      ctx.read_failed = true;
    }
  }
  if (const std::optional<int> code = stop_code(stop)) return {*code};
  if (platform::interrupted()) return {kUserAborted};
  if (!from_list) return {ctx.read_failed ? kReadError : kNormalExit};
  // A file-list run is one part of a larger report: a normal end writes no
  // summary, but rows that never reached the file must not end as one.
  if (!ctx.report.flush()) return {kWriteError};
  if (ctx.read_failed) return {kReadError};
  return {kNormalExit, false};
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

void run_counting_pass(RunContext& ctx, const std::vector<std::string>& walk_roots) {
  ctx.console.err.write("\nCounting files: ");
  ctx.console.flush();  // the count may take a while
  WalkContext walk = make_walk_context(ctx, nullptr);
  walk.measure_paths = ctx.run_options.auto_width;
  for (const std::string& root : walk_roots) {
    if (const std::optional<int> code = stop_code(walk_directory(walk, root))) {
      terminate_run(ctx, *code);
    }
  }
  const WalkCounts& counts = ctx.counts;
  if (walk.measure_paths) {
    const std::int32_t name_width = static_cast<std::int32_t>(counts.longest_path + 2);
    ctx.console.err.format("\r  Maximum path length found is %u, -w %d installed\n",
                           counts.longest_path, name_width);
  }
  ctx.console.err.format("\r%10s files to process, ", format_count(counts.pre_count).c_str());
  ctx.console.err.format("%s bytes\n", format_bytes(counts.pre_bytes).c_str());
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
