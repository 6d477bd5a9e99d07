#include "app/report_setup.h"

#include <string>

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/platform.h"
#include "report/message_formatter.h"
#include "report/output_file.h"

namespace mailsift {

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

namespace {

// A report that starts empty: standard output, or a file that holds nothing
// yet (a new one, or an empty one appended to).
bool starts_empty(const OutStream& report) {
  const int handle = report.handle();
  return handle < 0 || handle == platform::kStdout || platform::handle_size(handle) <= 0;
}

}  // namespace

void write_report_header(RunContext& ctx, bool from_list) {
  const ReportOptions& options = ctx.report_options;
  bool header = true;
  if (options.format == ReportFormat::kDelimited) {
    // Written on every run but a file list's, also when appending to a
    // report that holds rows.
    header = !from_list;
  } else {
    // The structured formats are written byte for byte, their record ends
    // included: CR LF for CSV and LF for JSON Lines on every system. Their
    // header row starts a report that starts empty, in every mode.
    if (ctx.report.handle() >= 0) platform::set_binary_output(ctx.report.handle());
    header = starts_empty(ctx.report);
  }
  if (!header) return;
  std::string text;
  MessageFormatter(options).header(text);
  ctx.report.write(text);
}

}  // namespace mailsift
