// Number formatting and pauses shared by the whole run.
#pragma once

#include <cstdint>
#include <string>

namespace mailsift {

struct RunContext;
class OutStream;

// 1234567 -> "1,234,567".
std::string format_count(std::uint32_t value);
// -1234 -> "-1,234".
std::string format_bytes(std::int64_t value);

// Pauses after a warning so that it can be read; only when the stream the
// warning went to is a terminal (nobody reads a file or a pipe in time). An
// interrupt during the pause ends the run.
void wait_seconds(RunContext& ctx, const OutStream& warned_on, int seconds);

}  // namespace mailsift
