// The age and size tests the dispatch applies to each file.
#pragma once

#include <cstdint>

#include "options/walk_options.h"
#include "platform/platform.h"

namespace mailsift {

// Age in calendar days of the chosen time (local dates).
std::int32_t age_in_days(const platform::Clock& clock, const platform::EntryInfo& entry,
                         int time_letter);
// The age and size tests of the dispatch.
bool passes_age_filter(const AgeFilter& age, const platform::Clock& clock,
                       const platform::EntryInfo& entry);
bool passes_size_filter(const WalkOptions& options, std::int64_t size);

}  // namespace mailsift
