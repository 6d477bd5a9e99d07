// The Date of a message as an instant, read as RFC 5322 reads it, its
// obsolete forms included, and instants written as "YYYY-MM-DDTHH:MM:SSZ".
//
// Accepted: an optional day name (three letters or the whole name, a comma
// after it optional); day, month name (three letters or the whole name, any
// case) and year, separated by white space or by "-"; hours and minutes,
// seconds optional; then the zone: "+hhmm" or "-hhmm" (also "+hh:mm"), UT,
// UTC, GMT, the North American zones EST EDT CST CDT MST MDT PST PDT, a
// military letter, another name, or none. Comments in parentheses (nested
// too) and extra white space count as white space anywhere. A two-digit year
// below 50 is in the 2000s, any other two- or three-digit year gets 1900
// added. Military letters, other zone names and a missing zone stand for an
// unknown local time and are read as UTC ("-0000"), as RFC 5322 advises,
// because the military letters' signs were given the wrong way round in
// RFC 822. What follows a zone is ignored; the day name is not checked
// against the date. A second of 60 (a leap second) is accepted and lands on
// the next minute.

#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace mailsift {

// Seconds since 1970-01-01 00:00 UTC, or nothing when the value is not a
// date (a missing or impossible day, month, year or time, a zone sign
// without four digits).
std::optional<std::int64_t> parse_mail_date(std::string_view value);

// Appends the instant as "YYYY-MM-DDTHH:MM:SSZ". False, with nothing
// appended, outside the years 0000 to 9999.
bool append_utc_time(std::int64_t seconds, std::string& out);

// Appends a file time (100-nanosecond steps since 1601) the same way.
void append_file_time_utc(platform::FileTime time, std::string& out);

}  // namespace mailsift
