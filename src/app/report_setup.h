// The report before the walk: opening it, and file-list mode or the header
// row.
#pragma once

namespace mailsift {

struct RunContext;

// Opens the named report; a report that cannot be had ends the run.
void open_report_output(RunContext& ctx);

// Runs file-list mode (ending the run) or writes the header row.
void prepare_report(RunContext& ctx);

}  // namespace mailsift
