// PLACEHOLDER: replaced by the discovery work.
#include "discovery/roots.h"

#include "platform/platform.h"
#include "run/run_context.h"

namespace mailsift {

void add_root(RunContext& ctx, const std::string& path) {
  std::string abs;
  if (!platform::make_absolute(path, abs)) return;
  if (abs.size() > 1 && abs.back() == '/') abs.pop_back();
  for (const std::string& r : ctx.root_list) {
    if (r == abs) return;
  }
  ctx.root_list.push_back(abs);
}
void add_name_pattern(RunContext& ctx, const std::string& pattern) {
  for (const std::string& p : ctx.name_patterns) {
    if (p == pattern) return;
  }
  ctx.name_patterns.push_back(pattern);
}
void add_path_argument(RunContext& ctx, const std::string& argument) { add_root(ctx, argument); }
void add_current_directory(RunContext& ctx) {
  std::string cwd;
  if (platform::current_directory(cwd)) add_root(ctx, cwd);
}
void begin_exclusions(RunContext& ctx) { ctx.exclusion_list.clear(); }
void add_exclusion(RunContext& ctx, const std::string& pattern) { ctx.exclusion_list.push_back(pattern); }
void end_exclusions(RunContext&) {}
bool is_excluded(const RunContext&, std::string_view) { return false; }

}  // namespace mailsift
