// Pauses after a warning so that it can be read.
#pragma once

namespace mailsift {

struct Console;
class OutStream;

// Only when the stream the warning went to is a terminal (nobody reads a file
// or a pipe in time). True when an interrupt arrived during the pause.
bool wait_seconds(Console& console, const OutStream& warned_on, int seconds);

}  // namespace mailsift
