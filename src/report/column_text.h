// The texts of the report's columns that are not captured as they stand:
// numbers printed as printf prints them, the modification time and the
// parsed date. The delimited rows and the structured formats share them, so
// that a CSV field holds exactly the plain report's column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "util/message_record.h"

namespace mailsift {

// The column titles of the plain header row.
inline constexpr int kColumns = 14;
extern const char* const kColumnTitles[kColumns];

// A number as printf's "%d" with a field width prints it: padded on the left
// with spaces, or with zeros after any minus sign. Built by hand because
// snprintf costs more than the rest of a row.
void append_number(std::string& out, long long value, int width = 0, char pad = ' ');

// "'%4d-%02d-%02d %02d:%02d"
void append_modified(std::string& out, const ModTime& mod);

// "'%04d-%02d-%02d " and the time text; with `space_padded_year` the year is
// "%4d" instead (the quoted report's form).
void append_parsed_date(std::string& out, const ParsedDate& date, bool space_padded_year = false);

// Appends `field` with every double quote doubled.
void double_quotes(std::string& out, std::string_view field);

}  // namespace mailsift
