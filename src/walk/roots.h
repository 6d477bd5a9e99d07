// The exclusion test of the walk.
#pragma once

#include <string_view>

namespace mailsift {

struct RunContext;

bool is_excluded(const RunContext& ctx, std::string_view name);

}  // namespace mailsift
