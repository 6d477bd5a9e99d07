// The one orderly way out of a run: the summary, the accounting log's closing
// lines, closing the streams and the exit status.
#pragma once

#include <cstdint>
#include <optional>
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

// How a run ends: its exit status, and whether the summary and the log's
// closing lines are written (a plain end only flushes the open streams, as a
// process exit would).
struct RunEnd {
  int code = kNormalExit;
  bool summary = true;
};

// The one way a run ends. With the summary: writes it and the log's closing
// lines, closes the report and the log; a report that cannot be flushed turns
// a normal end into kWriteError. Never returns.
[[noreturn]] void end_run(RunContext& ctx, RunEnd end);
[[noreturn]] inline void terminate_run(RunContext& ctx, int code) { end_run(ctx, {code, true}); }
[[noreturn]] inline void plain_exit(RunContext& ctx, int status) { end_run(ctx, {status, false}); }

// The code a lower layer's stop ends the run with at once: an interrupt 2, a
// report that cannot be written 9. None for kNone and for a read error, which
// only changes how the run ends once it is done.
std::optional<int> stop_code(Stop stop);

// Ends the run with code 2 when the interrupt flag is set.
void check_interrupt(RunContext& ctx);

// "\n  %ld director%s, %ld files\n"
std::string directories_line(std::int32_t dir_count, std::int32_t file_count);
// "  %lld messages in %lld mbox files\n": with mbox reading on, the line
// after the directories line (the messages are among its files).
std::string archives_line(std::int64_t messages, std::int64_t archives);
// " %d hrs. %d mins. %d secs.\n" for an elapsed time in seconds.
std::string elapsed_text(std::int64_t seconds);
// The 24-character date-time text: "Wed Aug 21 11:04:06 2013".
std::string date_time_text(std::int64_t seconds, bool utc);

}  // namespace mailsift
