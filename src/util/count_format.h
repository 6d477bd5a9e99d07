// Numbers grouped in threes for messages and progress lines.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace mailsift {

// 1234567 -> "1,234,567".
std::string format_count(std::uint32_t value);
// -1234 -> "-1,234".
std::string format_bytes(std::int64_t value);
// The same into a caller's buffer (no allocation); returns the text there.
inline constexpr std::size_t kGroupedNumberSize = 32;
std::string_view format_bytes(std::int64_t value, char (&buffer)[kGroupedNumberSize]);

}  // namespace mailsift
