#include "report/delimited_row.h"

#include "report/column_text.h"

namespace mailsift {

namespace {

// In quoted mode column 10 has a shorter title.
constexpr const char* kForwardQuoted = "Forward Date";

// One text column: quoted or not, doubled or not.
void append_column(std::string& out, std::string_view text, bool quoted, bool doubled) {
  if (quoted) out.push_back('"');
  if (doubled) {
    double_quotes(out, text);
  } else {
    out.append(text);
  }
  if (quoted) out.push_back('"');
}

}  // namespace

void append_header_row(std::string& out, DelimitedStyle style) {
  for (int i = 0; i < kColumns; ++i) {
    if (i > 0) out.push_back(style.delimiter);
    const char* title = (style.quoted && i == 9) ? kForwardQuoted : kColumnTitles[i];
    append_column(out, title, style.quoted, false);
  }
}

void append_delimited_row(std::string& out, DelimitedStyle style, std::string_view shown,
                          const MessageRecord& record) {
  const char d = style.delimiter;
  const char* q = style.quoted ? "\"" : "";
  out.push_back('\n');
  append_column(out, shown, style.quoted, false);
  out.push_back(d);
  out.append(q);
  append_number(out, record.size);
  out.append(q);
  out.push_back(d);
  out.append(q);
  append_modified(out, record.modified);
  out.append(q);
  out.push_back(d);
  append_captured_columns(out, style, record.fields);
}

void append_captured_columns(std::string& out, DelimitedStyle style, const CapturedFields& fields) {
  const char d = style.delimiter;
  const bool quoted = style.quoted;
  // Doubling keeps a comma-delimited quoted report readable; only the
  // free-text columns get it.
  const bool doubled = quoted && d == ',';
  const auto text_column = [&](std::string_view text, bool may_double, bool last = false) {
    append_column(out, text, quoted, may_double && doubled);
    if (!last) out.push_back(d);
  };
  text_column(fields.from, true);
  text_column(fields.to, true);
  text_column(fields.cc, true);
  text_column(fields.bcc, true);
  text_column(fields.date, false);
  // Quoted "'%4d-%02d-%02d ", plain "'%04d-%02d-%02d ".
  if (quoted) out.push_back('"');
  append_parsed_date(out, fields.parsed, quoted);
  if (quoted) out.push_back('"');
  out.push_back(d);
  text_column(fields.forward_dates, false);
  text_column(fields.subject, true);
  text_column(fields.message_read, false);
  text_column(fields.attachment_info, true);
  text_column(fields.recent_ip, false, true);
}

}  // namespace mailsift
