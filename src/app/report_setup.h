// The report before the walk: opening it, and file-list mode or the header
// row.
#pragma once

#include "options/report_options.h"
#include "scan/row_writer.h"

namespace mailsift {

struct RunContext;

// How the scanner writes the rows of the report the options ask for.
RowFormat row_format(const ReportOptions& options);

// Opens the named report; a report that cannot be had ends the run.
void open_report_output(RunContext& ctx);

// Runs file-list mode (ending the run) or writes the header row.
void prepare_report(RunContext& ctx);

}  // namespace mailsift
