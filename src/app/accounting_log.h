// The accounting log: one record per run appended to a text file.
#pragma once

#include <string>

namespace mailsift {

struct RunContext;

// Prepares (directories, trimming) and opens the log for appending, writes the
// separator, and makes it ctx.accounting_log. False when it cannot be opened.
bool open_accounting_log(RunContext& ctx, const std::string& name);

void make_log_directory(RunContext& ctx, const std::string& name);
void trim_log_file(RunContext& ctx, const std::string& name);

// Who replaces an open log, which decides the note it gets before closing.
enum class LogReplacedBy { kOption, kIniFile, kLongOption };
// Writes the note naming `new_path` into the open log (if any) and closes it.
void replace_accounting_log(RunContext& ctx, LogReplacedBy by, const std::string& new_path);

// " Started ..." and " Command Line: ..." lines of the start record.
void write_run_banner(RunContext& ctx);

}  // namespace mailsift
