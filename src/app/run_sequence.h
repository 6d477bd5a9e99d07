// The program's entry and the order of a run.
#pragma once

#include <string>
#include <vector>

#include "app/terminate.h"

namespace mailsift {

struct RunContext;

// Runs the whole program on the process's streams; returns the exit status.
int run_main(int argc, char** argv);

// Runs `body` and ends the run in order whatever happens in it: a RunExit
// gives its code, memory exhaustion code 7, any other exception code 13, each
// with the summary and the log's closing lines. Returns the exit status.
int run_guarded(RunContext& ctx, void (*body)(RunContext&));

// The run sequence on an already prepared context (ctx.args holds the
// arguments). Always ends by throwing RunExit.
[[noreturn]] void run_sequence(RunContext& ctx);

// The run's files, from the file list or the walk of every root (each with
// its trailing separator), through the scan stage to the report. Returns how
// the run ends.
RunEnd report_files(RunContext& ctx, const std::vector<std::string>& walk_roots, bool from_list);

// One blank before each argument ("|" in double quotes), then "\n".
void echo_command_line(RunContext& ctx);

// The optional counting pass over the roots (each with its trailing
// separator) and its announcement.
void run_counting_pass(RunContext& ctx, const std::vector<std::string>& walk_roots);

// Files the walk must pass over: the open report, the open log, standard
// output when the report goes there and it is a regular file.
void collect_skip_set(RunContext& ctx);

}  // namespace mailsift
