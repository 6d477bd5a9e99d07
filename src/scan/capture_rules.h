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
bool read_ahead(RuleContext& ctx, std::string_view& into);

// Appends "(#<counter>:) " or "(#body:) " and grows the counter either way.
void append_label(std::string& field, std::int32_t& counter, bool body = false);
// One whole entry: label, text and the two-space separator.
void append_entry(std::string& field, std::int32_t& counter, std::string_view text,
                  bool body = false);
inline constexpr std::string_view kSeparator = "  ";

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
