// The structured report formats: RFC 4180 CSV and JSON Lines, made from the
// message record's fields. Each begins with exactly the text of the
// delimited report's fourteen columns (plain, delimiter "|"; in JSON the
// size is a number), so a CSV or JSON reader always gets the same fields,
// whatever the messages hold. The decoded header fields follow: text, or
// null when absent (an empty CSV field without quotes).
//
// JSON strings must be Unicode: a byte that is not part of well-formed UTF-8
// is written as the escape of the lone surrogate U+DC00 + byte ("\udc80" to
// "\udcff"), the same rule as Python's "surrogateescape" error handler, so a
// reader recovers the original bytes exactly:
//   json.loads(line)[key].encode("utf-8", "surrogateescape")
#pragma once

#include <string>
#include <string_view>

#include <vector>

#include "options/report_options.h"
#include "report/record_buffer.h"
#include "util/message_record.h"

namespace mailsift {

// What a field holds: a JSON string, a JSON number, or nothing (JSON null,
// an empty CSV field).
enum class FieldKind { kText, kNumber, kNull };

// The records of one structured format: the fourteen columns, the decoded
// header fields, then the fields the run asks for, each named in the CSV
// header row and as a JSON key. A new field is one name and one emit in
// for_each_field.
class StructuredRow {
 public:
  explicit StructuredRow(const ReportOptions& options);

  // The CSV header row (the names, quoted, and CR LF); nothing for JSON Lines.
  void header(std::string& out) const;

  // One record: a CSV line with every value quoted, its quotes doubled, and
  // CR LF at the end, or a JSON object and a line feed. `shown` is the file
  // name as the report shows it.
  void append(std::string& out, std::string_view shown, const MessageRecord& record);

 private:
  // Calls emit(kind, text) for each field in order.
  template <typename Emit>
  void for_each_field(std::string_view shown, const MessageRecord& record, Emit&& emit);

  bool json_;
  bool mbox_fields_;
  DigestRequest digests_;
  std::vector<std::string> names_;
  std::vector<std::string> keys_;
  std::vector<std::string> text_keys_;  // each with its opening quote
  std::string key_slots_;               // keys_, then text_keys_, in slots
  std::string scratch_;  // the text of a field that is not stored as text
  RecordBuffer record_;  // a JSON record as it is made
};

// A JSON string literal of `text` (with the rule above for stray bytes).
void append_json_string(std::string& out, std::string_view text);

}  // namespace mailsift
