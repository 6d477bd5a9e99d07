// The report's text: the header row and the fourteen columns of each row.
//
// Rows are built into a string so that a message's row reaches the report
// whole. Every row begins with its line end; nothing follows the last column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "scan/header_record.h"
#include "util/selected_file.h"

namespace mailsift {

struct RowFormat {
  char delimiter = '|';
  bool quoted = false;  // every column in double quotes
};

// The row format the settings ask for.
RowFormat row_format(const Settings& settings);

// The header row, without a line end.
void append_header_row(std::string& out, RowFormat format);

// The line end that starts a row and columns 1 to 3, each followed by the
// delimiter.
void write_row_start(std::string& out, RowFormat format, std::string_view display_name,
                     std::int64_t size, const ModTime& mod);

// Columns 4 to 14, a delimiter between each two and nothing after the last.
void write_row_end(std::string& out, RowFormat format, const HeaderRecord& record);

// Appends `field` to `out` with every double quote doubled (the quoted
// report with a comma delimiter).
void double_quotes(std::string& out, std::string_view field);

}  // namespace mailsift
