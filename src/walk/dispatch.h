// The last step of selection for one file: its facts, the filters, the
// attribute change and the hand-over to the consumer.
#pragma once

#include <string>

#include "platform/platform.h"
#include "util/stop.h"
#include "walk/walk.h"

namespace mailsift {

// `dir` is an open directory handle for `dir_path` (which ends in a
// separator). `known` is the entry's facts when the caller has them already
// (the walk), nullptr to look the name up (with the wildcard rule).
// `opened` is the file's handle when the caller opened it already (-1 when
// not); it is the dispatch's from then on.
Stop dispatch_file(WalkContext& walk, int dir, const std::string& dir_path, const std::string& name,
                   const platform::EntryInfo* known, int opened = -1);

// True when the entry is one of the run's own files.
bool is_skipped(const WalkContext& walk, const platform::EntryInfo& info);

}  // namespace mailsift
