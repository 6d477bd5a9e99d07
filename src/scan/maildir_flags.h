// The flags of a Maildir message file, from its name: what follows the
// last ":2," (S seen, R replied, F flagged, T trashed, D draft, P passed, and
// whatever else a mail program put there), as written. Windows names cannot
// hold ":", so "!2," and ";2," mark the flags too, on every platform.
#pragma once

#include <string_view>

namespace mailsift {

// The flags in the last component of `path`; empty when it has none.
std::string_view maildir_flags(std::string_view path);

}  // namespace mailsift
