// Pauses after a warning so that it can be read.
#pragma once

namespace mailsift {

struct RunContext;
class OutStream;

// Only when the stream the warning went to is a terminal (nobody reads a file
// or a pipe in time). An interrupt during the pause ends the run.
void wait_seconds(RunContext& ctx, const OutStream& warned_on, int seconds);

}  // namespace mailsift
