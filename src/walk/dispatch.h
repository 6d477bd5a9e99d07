// The last step of discovery for one file: filters, attribute change, count,
// hand-over to the scanner.
#pragma once

#include <string>

#include "platform/platform.h"

namespace mailsift {

struct RunContext;

// `dir` is an open directory handle for `dir_path` (which ends in "/").
// `known` is the entry's facts when the caller has them already (the walk),
// nullptr to look the name up (with the wildcard rule).
void dispatch_file(RunContext& ctx, int dir, const std::string& dir_path, const std::string& name,
                   const platform::EntryInfo* known);

}  // namespace mailsift
