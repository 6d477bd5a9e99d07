// The directives of the INI file and how each one sets the run's values.
#pragma once

#include <string_view>

#include "config/draft.h"

namespace mailsift {

// One line of the INI file, its line end removed.
struct IniLine {
  std::string_view upper;           // the whole line upper-cased: matching and messages
  std::string_view original;        // as written: file and directory values keep their case
  bool has_value = false;           // the line has an "="
  std::string_view value;           // upper-cased text after the first "="
  std::string_view original_value;  // the same as written
};

// Applies the first directive the line matches, in table order; a line that
// matches none is ignored. Returns false when nothing matched.
bool apply_ini_directive(Draft& d, const IniLine& line);

}  // namespace mailsift
