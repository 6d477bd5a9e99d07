// The accounting log: one record per run appended to a text file.
#pragma once

#include <string>

#include "config/config_actions.h"
#include "util/stop.h"

namespace mailsift {

struct RunContext;

enum class LogOpenResult {
  kOpened,
  kNotOpened,    // the file cannot be opened for appending (message written)
  kNotPrepared,  // the file cannot be opened at all: the run ends with status 1
  kInterrupted,  // an interrupt came during the pause after creating directories
};

// Prepares (directories, trimming) and opens the log for appending, writes the
// separator, and makes it ctx.accounting_log.
LogOpenResult open_accounting_log(RunContext& ctx, const std::string& name);

// Creates missing directories, announcing each, and pauses after them.
Stop make_log_directory(RunContext& ctx, const std::string& name);
// Cuts trailing padding; false (with a message) when the file cannot be opened.
bool trim_log_file(RunContext& ctx, const std::string& name);

// LogReplacedBy (config/config_actions.h) decides the note an open log gets
// before closing.
// Writes the note naming `new_path` into the open log (if any) and closes it.
void replace_accounting_log(RunContext& ctx, LogReplacedBy by, const std::string& new_path);

// " Started ..." and " Command Line: ..." lines of the start record.
void write_run_banner(RunContext& ctx);

}  // namespace mailsift
