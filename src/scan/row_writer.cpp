#include "scan/row_writer.h"

#include <charconv>
#include <cstring>

namespace mailsift {

namespace {}  // namespace

const char* const kColumnTitles[kColumns] = {"Filename",
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

namespace {

// In quoted mode column 10 has a shorter title.
constexpr const char* kForwardQuoted = "Forward Date";

// A number as printf's "%d" with a field width prints it: padded on the left
// with spaces, or with zeros after any minus sign. Row numbers are built this
// way because snprintf costs more than the rest of the row.
void append_number(std::string& out, long long value, int width = 0, char pad = ' ') {
  char digits[24];
  const auto result = std::to_chars(digits, digits + sizeof digits, value);
  const std::size_t length = static_cast<std::size_t>(result.ptr - digits);
  const std::size_t fill = width > 0 && length < static_cast<std::size_t>(width)
                               ? static_cast<std::size_t>(width) - length
                               : 0;
  if (pad == '0' && digits[0] == '-') {
    out.push_back('-');
    out.append(fill, '0');
    out.append(digits + 1, length - 1);
    return;
  }
  out.append(fill, pad);
  out.append(digits, length);
}

// "%02d" and the separator after it.
void append_two(std::string& out, std::int32_t value, char after) {
  append_number(out, value, 2, '0');
  out.push_back(after);
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
    const char* title = (format.quoted && i == 9) ? kForwardQuoted : kColumnTitles[i];
    append_column(out, title, format.quoted, false);
  }
}

void write_row_start(std::string& out, RowFormat format, std::string_view display_name,
                     std::int64_t size, const ModTime& mod, ColumnStarts* starts) {
  const char d = format.delimiter;
  const char* q = format.quoted ? "\"" : "";
  out.push_back('\n');
  if (starts != nullptr) (*starts)[0] = out.size();
  append_column(out, display_name, format.quoted, false);
  out.push_back(d);
  if (starts != nullptr) (*starts)[1] = out.size();
  out.append(q);
  append_number(out, size);
  out.append(q);
  out.push_back(d);
  // "'%4d-%02d-%02d %02d:%02d"
  if (starts != nullptr) (*starts)[2] = out.size();
  out.append(q);
  out.push_back('\'');
  append_number(out, mod.year, 4, ' ');
  out.push_back('-');
  append_two(out, mod.month, '-');
  append_two(out, mod.day, ' ');
  append_two(out, mod.hour, ':');
  append_number(out, mod.minute, 2, '0');
  out.append(q);
  out.push_back(d);
}

void write_row_end(std::string& out, RowFormat format, const HeaderRecord& record,
                   ColumnStarts* starts) {
  const char d = format.delimiter;
  const bool quoted = format.quoted;
  // Doubling keeps a comma-delimited quoted report readable; only the
  // free-text columns get it.
  const bool doubled = quoted && d == ',';
  int column = 3;
  const auto next_column = [&] {
    if (starts != nullptr) (*starts)[column] = out.size();
    ++column;
  };
  const auto text_column = [&](std::string_view text, bool may_double, bool last = false) {
    next_column();
    append_column(out, text, quoted, may_double && doubled);
    if (!last) out.push_back(d);
  };
  text_column(record.from, true);
  text_column(record.to, true);
  text_column(record.cc, true);
  text_column(record.bcc, true);
  text_column(record.date, false);
  const ParsedDate& date = record.parsed;
  // Quoted "'%4d-%02d-%02d ", plain "'%04d-%02d-%02d ".
  next_column();
  if (quoted) out.push_back('"');
  out.push_back('\'');
  append_number(out, date.year, 4, quoted ? ' ' : '0');
  out.push_back('-');
  append_two(out, date.month, '-');
  append_two(out, date.day, ' ');
  out.append(date.time_text);
  if (quoted) out.push_back('"');
  out.push_back(d);
  text_column(record.forward_dates, false);
  text_column(record.subject, true);
  text_column(record.message_read, false);
  text_column(record.attachment_info, true);
  text_column(record.recent_ip, false, true);
}

}  // namespace mailsift
