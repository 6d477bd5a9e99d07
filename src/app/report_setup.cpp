#include "app/report_setup.h"

#include <string>

#include "app/run_context.h"
#include "app/scan_pipeline.h"
#include "app/terminate.h"
#include "report/message_formatter.h"
#include "report/output_file.h"

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

void write_report_header(RunContext& ctx, bool from_list) {
  if (from_list) return;
  std::string header;
  MessageFormatter(lane_options(ctx.settings).report).header(header);
  ctx.report.write(header);
}

}  // namespace mailsift
