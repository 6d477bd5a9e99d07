// Checks shared by the fault, signal and hostile-input tests: the job counts
// every such run is made with, and what a whole report and a closed log are.
#pragma once

#include <string>
#include <vector>

namespace mailsift::test {

// The scanning-thread counts fault and signal runs are made with; 0 is the
// default (one per core, so parallel on a machine of two or more), which is
// all that can be chosen until the command line takes a thread count.
inline const std::vector<int> kJobCounts = {0};

// The arguments that choose `jobs` scanning threads.
std::vector<std::string> job_args(int jobs);

// Rows of a report: the header row is the first line; every row starts with a
// line feed followed by `prefix` (the start of its file name).
int count_rows(const std::string& report, const std::string& prefix);

// True when `report` is `full` cut at the end of a row (or all of it).
bool whole_row_prefix(const std::string& report, const std::string& full);

// An interrupted run's report: `full` (the uninterrupted report, '|'
// delimited) up to the end of a row, except that the last row, the one in
// progress when the run stopped, may hold only what was captured by then: it
// is still whole, with the reference row's name, size and time and all its
// columns. Gives an empty text when so, else what is wrong.
std::string interrupted_report_problem(const std::string& report, const std::string& full);

// The log ends with its closing lines; `reason` empty for a normal end.
// Gives an empty text when it does, else what is wrong.
std::string closed_log_problem(const std::string& log, const std::string& reason);

}  // namespace mailsift::test
