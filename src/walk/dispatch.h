// The last step of selection for one file: its facts, the filters, the
// attribute change and the hand-over to the consumer.
#pragma once

#include <string>

#include "platform/platform.h"
#include "util/stop.h"
#include "walk/walk.h"

namespace mailsift {

// `dir` is the open directory `dir_path` (which ends in a
// separator). `known` is the entry's facts when the caller has them already
// (the walk), nullptr to look the name up (with the wildcard rule).
// `opened` is the file when the caller opened it already; it is closed here
// unless it is handed on.
Stop dispatch_file(WalkContext& walk, const platform::Directory& dir, const std::string& dir_path,
                   const std::string& name, const platform::EntryInfo* known,
                   platform::File opened = {});

// True when the entry is one of the run's own files.
bool is_skipped(const WalkContext& walk, const platform::EntryInfo& info);

}  // namespace mailsift
