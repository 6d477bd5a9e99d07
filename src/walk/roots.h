// Search roots, name patterns and exclusions.
#pragma once

#include <string>
#include <string_view>

namespace mailsift {

struct RunContext;

inline constexpr int kMaxExclusions = 80;

void add_root(RunContext& ctx, const std::string& path);
void add_name_pattern(RunContext& ctx, const std::string& pattern);
void add_path_argument(RunContext& ctx, const std::string& argument);
void add_current_directory(RunContext& ctx);
void begin_exclusions(RunContext& ctx);
void add_exclusion(RunContext& ctx, const std::string& pattern);
// Ends the run with code 6 when more than 80 exclusions were given.
void end_exclusions(RunContext& ctx);

}  // namespace mailsift
