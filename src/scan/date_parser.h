// The tolerant date reading behind the report's Date-Time column.
#pragma once

#include <string_view>

#include "scan/header_record.h"

namespace mailsift {

// Reads year, month, day and time text from a cleaned "Date:" or "Sent:" line
// (keyword still at its start) into `date`. Picks the month from a month name
// anywhere in the value, small numbers as the day, large ones as the year, and
// keeps the rest of the line from a two-digit hour on as the time text. Never
// resets a field it does not set.
void parse_header_date(std::string_view line, ParsedDate& date);

}  // namespace mailsift
