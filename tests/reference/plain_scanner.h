// The scanner written the plain way, the reference the product's scanner is
// compared with: every line is read through a reader whose buffer holds 16
// bytes (so lines are built a byte at a time, without the index), cleaned in
// full, tested for "Mapi-Hasattach:" and offered to the fifteen recognisers
// in order, each a literal test of the cleaned line. It shares only the
// cleaning steps and the capture rules with the product.
#pragma once

#include <string>
#include <string_view>

#include "report/message_formatter.h"
#include "scan/capture_rules.h"
#include "scan/header_record.h"
#include "scan/line_cleaning.h"
#include "util/ascii.h"
#include "util/text_reader.h"

namespace mailsift::reference {

// Case-insensitive; start positions 0 to size(line) - size(text) - 1.
inline bool contains(std::string_view line, std::string_view text) {
  for (std::size_t i = 0; i + text.size() < line.size(); ++i) {
    std::size_t k = 0;
    while (k < text.size() && ascii_lower(line[i + k]) == ascii_lower(text[k])) ++k;
    if (k == text.size()) return true;
  }
  return false;
}

inline bool starts_any_case(std::string_view line, std::string_view prefix) {
  return line.size() >= prefix.size() && iequals(line.substr(0, prefix.size()), prefix);
}

inline bool starts_exact(std::string_view line, std::string_view prefix) {
  return line.substr(0, prefix.size()) == prefix;
}

inline void offer(RuleContext& ctx, std::string& line) {
  const HeaderRecord& rec = ctx.record;
  if (starts_any_case(line, "From:")) return capture_from(ctx, line);
  if (starts_any_case(line, "To:")) return capture_to(ctx, line);
  if (starts_any_case(line, "Cc:")) return capture_cc(ctx, line);
  if (starts_any_case(line, "Bcc:")) return capture_bcc(ctx, line);
  if (starts_exact(line, "Date:")) return capture_date(ctx, line);
  if (starts_exact(line, "Sent:")) return capture_sent(ctx, line);
  if (starts_any_case(line, "Subject:")) return capture_subject(ctx, line);
  if (contains(line, "Mapi-Message-Flags:")) return capture_read_flags(ctx, line);
  if (starts_exact(line, "X-Mozilla-Status:")) return capture_mozilla_status(ctx, line);
  for (const std::string_view text :
       {"Attachment:", "name=Attach", "filename=\"", "Attachment Converted:", "X-Attachments:"}) {
    if (contains(line, text)) return capture_attachment_keyword(ctx, line);
  }
  if (contains(line, "Content-Type: message")) return capture_forwarded_message(ctx, line);
  if (rec.attach_by_content_type && starts_exact(line, "Content-Type:") &&
      contains(line, "Content-Type:")) {
    return capture_content_type_name(ctx, line);
  }
  if (starts_any_case(line, "Received: from")) return capture_bracketed_address(ctx, line);
  if (starts_any_case(line, "X-Originating-IP:")) return capture_bracketed_address(ctx, line);
  if (starts_any_case(line, "Received: by ")) return capture_receiving_host(ctx, line);
}

// The captured fields of `message` with the report's delimiter `delimiter`.
inline HeaderRecord scan(std::string_view message, char delimiter) {
  TextReader reader(16);
  std::string line;
  std::string ahead;
  HeaderRecord rec;
  StringSource source(message);
  reader.reset(&source);
  reader.drop_cr_at_end(true);
  RuleContext ctx{rec, reader, ahead, delimiter};
  while (reader.read_line(line, kLineBufferSize)) {
    clean_line(line);
    if (!rec.attach_by_content_type && contains(line, "Mapi-Hasattach:") &&
        line.find("True") == std::string::npos) {
      rec.attach_by_content_type = true;
    }
    offer(ctx, line);
  }
  return rec;
}

// The row of `fields` (and `decoded`, in the structured formats) in the
// report's format, for a message at /m/x.eml.
inline std::string row_of(const CapturedFields& fields, const ReportOptions& report,
                          const DecodedFields& decoded = {}) {
  MessageRecord record;
  record.path = "/m/x.eml";
  record.fields = fields;
  record.decoded = decoded;
  MessageTexts texts;
  MessageFormatter(report).format(record, texts);
  return texts.row;
}

}  // namespace mailsift::reference
