#include "app/report_setup.h"

#include <memory>

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

RowFormat row_format(const ReportOptions& options) {
  // The structured formats hold the text of the plain report's columns.
  switch (options.format) {
    case ReportFormat::kCsv:
      return RowFormat{'|', false, RowStyle::kCsv};
    case ReportFormat::kJsonLines:
      return RowFormat{'|', false, RowStyle::kJsonLines};
    case ReportFormat::kDelimited:
      break;
  }
  return RowFormat{options.delimiter, options.quoted};
}

void open_report_output(RunContext& ctx) {
  switch (open_report(ctx.report_options, ctx.report, ctx.console)) {
    case ReportOpening::kReady:
      return;
    case ReportOpening::kCannotOpen:
      plain_exit(ctx, kOutputFile);
    case ReportOpening::kAppendNeedsName:
      terminate_run(ctx, kIllegalOption);
  }
}

void prepare_report(RunContext& ctx) {
  const RowFormat format = row_format(ctx.report_options);
  if (ctx.file_list >= 0) {
    RowSink sink(ctx.report, ctx.console.err);
    const std::unique_ptr<ScanStage> scan =
        make_scan_stage(*ctx.fs, format, sink, resolve_jobs(ctx.run_options.jobs));
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
  std::string header;
  if (format.style == RowStyle::kDelimited) {
    append_header_row(header, format);
  } else {
    append_structured_header(header, format.style);
  }
  ctx.report.write(header);
}

}  // namespace mailsift
