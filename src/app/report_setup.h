// The report before the first row: opening it, and its header row.
#pragma once

namespace mailsift {

struct RunContext;

// Opens the named report; a report that cannot be had ends the run.
void open_report_output(RunContext& ctx);

// Writes the header row the report's format begins with. A file-list run
// writes none: its report is one part of a larger one.
void write_report_header(RunContext& ctx, bool from_list);

}  // namespace mailsift
