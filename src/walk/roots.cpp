// The exclusion test of the walk: the run's exclusion patterns (upper-cased
// when they were added) against an entry's name.
#include "walk/roots.h"

#include "walk/match_pattern.h"
#include "app/run_context.h"

namespace mailsift {

bool is_excluded(const RunContext& ctx, std::string_view name) {
  for (const std::string& pattern : ctx.lists.exclusions) {
    if (match_pattern_upper_text(pattern, name)) return true;
  }
  return false;
}

}  // namespace mailsift
