// Number formatting and pauses shared by the whole run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mailsift {

struct RunContext;
class OutStream;

// 1234567 -> "1,234,567".
std::string format_count(std::uint32_t value);
// -1234 -> "-1,234".
std::string format_bytes(std::int64_t value);
// The same into a caller's buffer (no allocation); returns the text there.
inline constexpr std::size_t kGroupedNumberSize = 32;
std::string_view format_bytes(std::int64_t value, char (&buffer)[kGroupedNumberSize]);

// Pauses after a warning so that it can be read; only when the stream the
// warning went to is a terminal (nobody reads a file or a pipe in time). An
// interrupt during the pause ends the run.
void wait_seconds(RunContext& ctx, const OutStream& warned_on, int seconds);

}  // namespace mailsift
