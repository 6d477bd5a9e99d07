// Building the run's lists: search roots, name patterns and exclusions.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "options/walk_options.h"

namespace mailsift {

inline constexpr std::size_t kMaxExclusions = 80;

// Stored absolute (with the platform's long-path prefix), without a trailing
// separator; a root the file system takes for one already listed is not added
// again. A path that cannot be made absolute is passed over.
void add_root(RunLists& lists, const std::string& path);
// Kept as given; a pattern already listed is not added again.
void add_name_pattern(RunLists& lists, const std::string& pattern);
// A leading path argument: a directory becomes a root; anything else gives its
// directory as the root and its last component as a name pattern.
void add_path_argument(RunLists& lists, const std::string& argument);
void add_current_directory(RunLists& lists);
// Upper-cased (ASCII letters only), in order of addition.
void add_exclusion(RunLists& lists, std::string_view pattern);

}  // namespace mailsift
