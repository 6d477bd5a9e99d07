// The report's destination: naming it from masks, opening it and the last
// set-up before the walk.
#pragma once

#include <cstddef>
#include <string>

namespace mailsift {

struct RunContext;

// The output name holds a date, time or computer-name mask.
bool has_output_mask(const std::string& path);
// Rewrites the absolute output name in place, replacing its date, time and
// computer-name mask.
void expand_output_mask(RunContext& ctx, std::string& path);
// The machine's name into `out`; its length, 0 when it cannot be had.
std::size_t computer_name_text(std::string& out);
void open_report_output(RunContext& ctx);
// Inverts `immediate`, adjusts the width, runs file-list mode (ending the run)
// or writes the header row.
void prepare_report(RunContext& ctx);

}  // namespace mailsift
