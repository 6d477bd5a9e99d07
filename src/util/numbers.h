// Decimal number reading as every option, INI value and header rule uses it:
// leading white space skipped, one optional sign, digits up to the first other
// character, no digits gives 0, and values beyond the type saturate at its
// limits instead of wrapping.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace mailsift {

std::int32_t read_int32(std::string_view text);
std::int64_t read_int64(std::string_view text);
// Same, also telling how many characters were used (0 when no digits).
std::int64_t read_int64_prefix(std::string_view text, std::size_t& used);

// The value itself, or the nearest 32-bit limit.
std::int32_t saturate_int32(std::int64_t value);

}  // namespace mailsift
