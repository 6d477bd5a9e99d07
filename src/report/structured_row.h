// The structured report formats: RFC 4180 CSV and JSON Lines, made from the
// message record's fields. Each holds exactly the text of the delimited
// report's fourteen columns (plain, delimiter "|"), so a CSV or JSON reader
// always gets fourteen fields, whatever the messages hold.
//
// JSON strings must be Unicode: a byte that is not part of well-formed UTF-8
// is written as the escape of the lone surrogate U+DC00 + byte ("\udc80" to
// "\udcff"), the same rule as Python's "surrogateescape" error handler, so a
// reader recovers the original bytes exactly:
//   json.loads(line)[key].encode("utf-8", "surrogateescape")
#pragma once

#include <string>
#include <string_view>

#include "util/message_record.h"

namespace mailsift {

// The CSV header row: the column titles, quoted, and CR LF.
void append_csv_header(std::string& out);

// One CSV record: every field quoted with its quotes doubled, CR LF at the
// end. `shown` is the file name as the report shows it; `scratch` is reused
// for the columns that are not stored as text.
void append_csv_record(std::string& out, std::string_view shown, const MessageRecord& record,
                       std::string& scratch);

// One JSON object keyed by the column titles, and a line feed.
void append_json_record(std::string& out, std::string_view shown, const MessageRecord& record,
                        std::string& scratch);

// A JSON string literal of `text` (with the rule above for stray bytes).
void append_json_string(std::string& out, std::string_view text);

}  // namespace mailsift
