// The one orderly way out of a run: the summary, the accounting log's closing
// lines, closing the streams and the exit status.
#pragma once

#include <cstdint>
#include <string>

#include "util/exit_code.h"
#include "util/stop.h"

namespace mailsift {

struct RunContext;

// The reason text of a code ("NORMAL_EXIT", "USER_ABORTED", ...); empty for a
// code the table does not hold.
const char* exit_reason(int code);

// Thrown to end the run; the entry catches it and returns the code. Unwinding
// instead of exiting lets tests observe the end of a run.
struct RunExit {
  int code;
};

// Writes the summary and the log's closing lines, closes the report and the
// log, and ends the run with `code`. A report that cannot be flushed turns a
// normal end into kWriteError. Never returns.
[[noreturn]] void terminate_run(RunContext& ctx, int code);

// Ends the run at once with `status`, without summary or closing lines; open
// streams are flushed as a process exit would flush them.
[[noreturn]] void plain_exit(RunContext& ctx, int status);

// Ends the run as a lower layer's stop asks: an interrupt with code 2, a
// report that cannot be written with code 9. Returns for kNone and for a read
// error, which only changes how the run ends once it is done.
void end_on_stop(RunContext& ctx, Stop stop);

// Ends the run with code 2 when the interrupt flag is set.
void check_interrupt(RunContext& ctx);

// "\n  %ld director%s, %ld files\n"
std::string directories_line(std::int32_t dir_count, std::int32_t file_count);
// " %d hrs. %d mins. %d secs.\n" for an elapsed time in seconds.
std::string elapsed_text(std::int64_t seconds);
// The 24-character date-time text: "Wed Aug 21 11:04:06 2013".
std::string date_time_text(std::int64_t seconds, bool utc);

}  // namespace mailsift
