// The groups of the usage text and the line counts the pager uses for them.
#pragma once

#include <cstddef>

namespace mailsift {

struct UsageGroup {
  const char* const* lines;
  std::size_t line_count;
  int page_lines;  // how far the group advances the pager's line count
};

inline constexpr std::size_t kUsageGroupCount = 8;
const UsageGroup& usage_group(std::size_t index);

}  // namespace mailsift
