// A file's modification time as the report's row shows it.
#pragma once

#include "platform/platform.h"
#include "util/selected_file.h"

namespace mailsift {

// Breaks the entry's write time into calendar fields, local or UTC. A zero
// time becomes month 0, day 0, year 1980 at 00:00; an hour above 24 or a
// failed conversion keeps the date but zeroes the time of day.
ModTime modification_time(const platform::EntryInfo& entry, bool utc);

}  // namespace mailsift
