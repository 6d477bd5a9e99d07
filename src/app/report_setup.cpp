#include "app/report_setup.h"

#include <memory>
#include <string>

#include "app/parallel_scan.h"
#include "app/run_context.h"
#include "app/scan_pipeline.h"
#include "app/terminate.h"
#include "platform/platform.h"
#include "report/output_file.h"
#include "report/row_sink.h"
#include "scan/row_writer.h"
#include "scan/structured_rows.h"

namespace mailsift {

void open_report_output(RunContext& ctx) {
  switch (open_report(ctx.settings, ctx.report, ctx.console)) {
    case ReportOpening::kReady:
      return;
    case ReportOpening::kCannotOpen:
      plain_exit(ctx, kOutputFile);
    case ReportOpening::kAppendNeedsName:
      terminate_run(ctx, kIllegalOption);
  }
}

namespace {

// A report that starts empty: standard output, or a file that holds nothing
// yet (a new one, or an empty one appended to).
bool starts_empty(const OutStream& report) {
  const int handle = report.handle();
  return handle < 0 || handle == platform::kStdout || platform::handle_size(handle) <= 0;
}

// The structured formats are written byte for byte, their record ends
// included: CR LF for CSV and LF for JSON Lines on every system.
void structured_setup(RunContext& ctx, RowStyle style) {
  if (ctx.report.handle() >= 0) platform::set_binary_output(ctx.report.handle());
  if (!starts_empty(ctx.report)) return;
  std::string header;
  append_structured_header(header, style);
  ctx.report.write(header);
}

}  // namespace

void prepare_report(RunContext& ctx) {
  const Settings& s = ctx.settings;
  const RowFormat format = row_format(s);
  if (format.style != RowStyle::kDelimited) structured_setup(ctx, format.style);
  if (s.file_list_on == 1 && ctx.file_list >= 0) {
    RowSink sink(ctx.report, ctx.console.err, ctx.counts.file_count);
    const std::unique_ptr<ScanStage> scan =
        make_scan_stage(*ctx.fs, format, sink, resolve_jobs(s.jobs));
    WalkContext walk = make_walk_context(ctx, scan.get());
    const Stop listed = read_file_list(walk, ctx.file_list);
    const Stop stop = scan->finish(listed);
    platform::close_handle(ctx.file_list);
    ctx.file_list = -1;
    if (scan->read_failed()) ctx.read_failed = true;
    if (listed == Stop::kReadError && stop == Stop::kNone) {
      ctx.console.err.format("\ncan't read the file list (%s)", walk.list_error.c_str());
      ctx.read_failed = true;
    }
    end_on_stop(ctx, stop);
    check_interrupt(ctx);
    // Rows that never reached the file must not end as a normal run.
    if (!ctx.report.flush()) terminate_run(ctx, kWriteError);
    if (ctx.read_failed) terminate_run(ctx, kReadError);
    plain_exit(ctx, kNormalExit);
  }
  if (format.style != RowStyle::kDelimited) return;
  // Written on every run, also when appending to a report that holds rows.
  std::string header;
  append_header_row(header, format);
  ctx.report.write(header);
}

}  // namespace mailsift
