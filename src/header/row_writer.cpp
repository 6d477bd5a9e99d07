#include "header/row_writer.h"

#include <cstdio>
#include <cstring>

namespace mailsift {

namespace {

constexpr const char* kPlainHeaders[] = {"Filename",
                                         "Size",
                                         "File-(MOD)Date",
                                         "From",
                                         "To",
                                         "CC",
                                         "Bcc",
                                         "Date",
                                         "Date-Time",
                                         "Forward (Prior Sent) Date(s)",
                                         "Subject",
                                         "Message Read",
                                         "Attachment Info",
                                         "Recent IP"};

// In quoted mode column 10 has a shorter title.
constexpr const char* kForwardQuoted = "Forward Date";

template <typename... Args>
void append_format(std::string& out, const char* fmt, Args... args) {
  char buffer[128];
  int n = std::snprintf(buffer, sizeof buffer, fmt, args...);
  if (n > 0)
    out.append(buffer, static_cast<std::size_t>(n) < sizeof buffer ? n : sizeof buffer - 1);
}

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

void double_quotes(std::string& out, std::string_view field) {
  std::size_t from = 0;
  while (from < field.size()) {
    std::size_t quote = field.find('"', from);
    if (quote == std::string_view::npos) {
      out.append(field.substr(from));
      return;
    }
    out.append(field.substr(from, quote + 1 - from));
    out.push_back('"');
    from = quote + 1;
  }
}

void append_header_row(std::string& out, RowFormat format) {
  for (int i = 0; i < 14; ++i) {
    if (i > 0) out.push_back(format.delimiter);
    const char* title = (format.quoted && i == 9) ? kForwardQuoted : kPlainHeaders[i];
    append_column(out, title, format.quoted, false);
  }
}

void write_row_start(std::string& out, RowFormat format, std::string_view display_name,
                     std::int64_t size, const ModTime& mod) {
  const char d = format.delimiter;
  const char* q = format.quoted ? "\"" : "";
  out.push_back('\n');
  append_column(out, display_name, format.quoted, false);
  out.push_back(d);
  append_format(out, "%s%lld%s%c", q, static_cast<long long>(size), q, d);
  append_format(out, "%s'%4d-%02d-%02d %02d:%02d%s%c", q, mod.year, mod.month, mod.day, mod.hour,
                mod.minute, q, d);
}

void write_row_end(std::string& out, RowFormat format, const HeaderRecord& record) {
  const char d = format.delimiter;
  const bool quoted = format.quoted;
  // Doubling keeps a comma-delimited quoted report readable; only the
  // free-text columns get it.
  const bool doubled = quoted && d == ',';
  append_column(out, record.from, quoted, doubled);
  out.push_back(d);
  append_column(out, record.to, quoted, doubled);
  out.push_back(d);
  append_column(out, record.cc, quoted, doubled);
  out.push_back(d);
  append_column(out, record.bcc, quoted, doubled);
  out.push_back(d);
  append_column(out, record.date, quoted, false);
  out.push_back(d);
  const ParsedDate& date = record.parsed;
  if (quoted) {
    append_format(out, "\"'%4d-%02d-%02d ", date.year, date.month, date.day);
  } else {
    append_format(out, "'%04d-%02d-%02d ", date.year, date.month, date.day);
  }
  out.append(date.time_text);
  if (quoted) out.push_back('"');
  out.push_back(d);
  append_column(out, record.forward_dates, quoted, false);
  out.push_back(d);
  append_column(out, record.subject, quoted, doubled);
  out.push_back(d);
  append_column(out, record.message_read, quoted, false);
  out.push_back(d);
  append_column(out, record.attachment_info, quoted, doubled);
  out.push_back(d);
  append_column(out, record.recent_ip, quoted, false);
}

}  // namespace mailsift
