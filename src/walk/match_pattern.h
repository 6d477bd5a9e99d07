// Wildcard matching: the exclusion matcher and the directory-search meaning of
// name patterns.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace mailsift {

// The exclusion matcher ("*", "?", "[...]" sets, backslash escapes), on
// characters (a UTF-8 sequence or one invalid byte). Exact comparison; callers
// upper-case both sides.
bool match_pattern(std::string_view pattern, std::string_view text);

// The same with the text's ASCII letters taken as upper case, so that the
// exclusion test needs no upper-cased copy of every name.
bool match_pattern_upper_text(std::string_view pattern, std::string_view text);

// A name pattern as a directory search reads it: "*" any run, "?" one
// character, ASCII letters without regard to case, "*.*" like "*".
bool match_name_pattern(std::string_view pattern, std::string_view name);

// True when one of the exclusions (upper-cased) matches the name.
bool is_excluded(const std::vector<std::string>& exclusions, std::string_view name);

}  // namespace mailsift
