// The delimited report: its header row and one row per message, plain or
// with every column in double quotes.
//
// Rows are built into a string so that a message's row reaches the report
// whole. Every row begins with its line end; nothing follows the last column.
#pragma once

#include <string>
#include <string_view>

#include "util/message_record.h"

namespace mailsift {

struct DelimitedStyle {
  char delimiter = '|';
  bool quoted = false;  // every column in double quotes
};

// The header row, without a line end.
void append_header_row(std::string& out, DelimitedStyle style);

// The line end that starts a row, then its fourteen columns; `shown` is the
// file name as the row shows it.
void append_delimited_row(std::string& out, DelimitedStyle style, std::string_view shown,
                          const MessageRecord& record);

// Columns 4 to 14 (the captured ones), a delimiter between each two and
// nothing after the last.
void append_captured_columns(std::string& out, DelimitedStyle style, const CapturedFields& fields);

}  // namespace mailsift
