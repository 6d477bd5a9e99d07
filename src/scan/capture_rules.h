// The capture rules: what each recognised line adds to the HeaderRecord.
//
// A rule gets the cleaned line and the rule context. The line is a view,
// often of the reader's buffer, so a rule uses it up (appends what it keeps)
// before it reads ahead: a read may refill the buffer. Rules that read ahead
// take the next line raw from the reader and either consume it or push it
// back. Where a field keeps a line's text changed (a delimiter or a TAB made
// a space), the change is made to the copy in the field.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "scan/header_record.h"
#include "util/text_reader.h"

namespace mailsift {

// Lines arrive in pieces of at most this many bytes minus one.
inline constexpr std::size_t kLineBufferSize = 32768;

struct RuleContext {
  HeaderRecord& record;
  TextReader& reader;
  std::string& ahead;  // the read-ahead line
  char delimiter;
};

// Reads the next line raw (its text ends at a NUL byte); false at the end.
// `into` views the reader's buffer or ctx.ahead until the next read.
inline bool read_ahead(RuleContext& ctx, std::string_view& into) {
  if (!ctx.reader.read_line_view(into, ctx.ahead, kLineBufferSize)) return false;
  // Where the reader indexes NUL as an odd byte (the scanner's does), a line
  // without odd bytes has no NUL to cut at.
  if (!ctx.reader.is_odd('\0') || ctx.reader.line_holds_odd(into)) {
    into = into.substr(0, into.find('\0'));
  }
  return true;
}

// append_label for a label of more than one digit, or "(#body:) ".
void append_long_label(std::string& field, std::int32_t& counter, bool body);

// Appends "(#<counter>:) " or "(#body:) " and grows the counter either way.
inline void append_label(std::string& field, std::int32_t& counter, bool body = false) {
  if (body || counter < 1 || counter > 9) return append_long_label(field, counter, body);
  // Most fields hold fewer than ten entries.
  const char label[6] = {'(', '#', static_cast<char>('0' + counter), ':', ')', ' '};
  field.append(label, sizeof label);
  ++counter;
}

inline constexpr std::string_view kSeparator = "  ";
// Ends an entry. Two bytes, pushed rather than copied.
inline void append_separator(std::string& field) {
  field.push_back(' ');
  field.push_back(' ');
}

// One whole entry: label, text and the two-space separator.
inline void append_entry(std::string& field, std::int32_t& counter, std::string_view text,
                         bool body = false) {
  append_label(field, counter, body);
  field.append(text);
  append_separator(field);
}

// Appends the continuation lines of a To, CC or Bcc header to its field.
void fold_continuation(RuleContext& ctx, std::string& field);

void capture_from(RuleContext& ctx, std::string_view line);
void capture_to(RuleContext& ctx, std::string_view line);
void capture_cc(RuleContext& ctx, std::string_view line);
void capture_bcc(RuleContext& ctx, std::string_view line);
void capture_date(RuleContext& ctx, std::string_view line);
void capture_sent(RuleContext& ctx, std::string_view line);
void capture_subject(RuleContext& ctx, std::string_view line);
void capture_read_flags(RuleContext& ctx, std::string_view line);
void capture_mozilla_status(RuleContext& ctx, std::string_view line);
void capture_attachment_keyword(RuleContext& ctx, std::string_view line);
void capture_forwarded_message(RuleContext& ctx, std::string_view line);
void capture_content_type_name(RuleContext& ctx, std::string_view line);
void capture_bracketed_address(RuleContext& ctx, std::string_view line);
void capture_receiving_host(RuleContext& ctx, std::string_view line);

}  // namespace mailsift
