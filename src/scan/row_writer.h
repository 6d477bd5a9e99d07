// The report's text: the header row and the fourteen columns of each row.
//
// Rows are built into a string so that a message's row reaches the report
// whole. Every row begins with its line end; nothing follows the last column.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/header_record.h"
#include "util/selected_file.h"

namespace mailsift {

// How rows are written: the delimited report (the default), or a format
// that any CSV or JSON reader takes apart safely.
enum class RowStyle { kDelimited, kCsv, kJsonLines };

struct RowFormat {
  char delimiter = '|';
  bool quoted = false;  // every column in double quotes
  RowStyle style = RowStyle::kDelimited;
};

inline constexpr int kColumns = 14;
// Where each column starts in a delimited row being built (the writers fill
// it when asked), so that its text can be taken out whole.
using ColumnStarts = std::array<std::size_t, kColumns>;

// The column titles of the plain header row.
extern const char* const kColumnTitles[kColumns];

// The header row, without a line end.
void append_header_row(std::string& out, RowFormat format);

// The line end that starts a row and columns 1 to 3, each followed by the
// delimiter.
void write_row_start(std::string& out, RowFormat format, std::string_view display_name,
                     std::int64_t size, const ModTime& mod, ColumnStarts* starts = nullptr);

// Columns 4 to 14, a delimiter between each two and nothing after the last.
void write_row_end(std::string& out, RowFormat format, const HeaderRecord& record,
                   ColumnStarts* starts = nullptr);

// Appends `field` to `out` with every double quote doubled (the quoted
// report with a comma delimiter).
void double_quotes(std::string& out, std::string_view field);

}  // namespace mailsift
