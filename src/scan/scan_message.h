// One message file: its report row and its progress line.
#pragma once

#include <cstdint>
#include <string>

namespace mailsift {

struct RunContext;
struct FileTimes;

// Opens `name` in the open directory `dir` through ctx.fs, writes the row for
// it to the report (whole rows only, also when interrupted or unreadable) and
// the progress line to standard error. A failed report write ends the run with
// the write-error code.
void scan_message(RunContext& ctx, int dir, const std::string& name, const std::string& path,
                  std::int64_t size, const FileTimes& times);

// The report's header row (no line end).
void write_header_row(RunContext& ctx);

}  // namespace mailsift
