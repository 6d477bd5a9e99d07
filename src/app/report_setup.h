// The report before the first row: opening it, and its header row.
#pragma once


namespace mailsift {

struct RunContext;

// Opens the named report; a report that cannot be had ends the run.
void open_report_output(RunContext& ctx);

// Writes the header row the report's format begins with: the delimited
// report's on every run but a file list's (whose report is one part of a
// larger one); CSV's whenever the report starts empty.
void write_report_header(RunContext& ctx, bool from_list);

}  // namespace mailsift
