// The structured report formats: RFC 4180 CSV and JSON Lines. Both hold
// exactly the text of the plain report's fourteen columns, written so that a
// CSV or JSON reader always gets fourteen fields, whatever the messages hold.
//
// JSON strings must be Unicode: a byte that is not part of well-formed UTF-8
// is written as the escape of the lone surrogate U+DC00 + byte ("\udc80" to
// "\udcff"), the same rule as Python's "surrogateescape" error handler, so a
// reader recovers the original bytes exactly:
//   json.loads(line)[key].encode("utf-8", "surrogateescape")
#pragma once

#include <string>
#include <string_view>

#include "scan/row_writer.h"

namespace mailsift {

// The header row in the style's form (JSON Lines has none).
void append_structured_header(std::string& out, RowStyle style);

// One record from a plain row (built with `starts`, no leading line end
// counted): CSV fields all quoted, quotes doubled, CR LF at the end; a JSON
// object keyed by the column titles and a line feed.
void append_structured_row(std::string& out, RowStyle style, std::string_view plain_row,
                           const ColumnStarts& starts);

// A JSON string literal of `text` (with the rule above for stray bytes).
void append_json_string(std::string& out, std::string_view text);

}  // namespace mailsift
