#include "report/column_text.h"

#include <charconv>

namespace mailsift {

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

// "%02d" and the separator after it.
void append_two(std::string& out, std::int32_t value, char after) {
  append_number(out, value, 2, '0');
  out.push_back(after);
}

}  // namespace

void append_number(std::string& out, long long value, int width, char pad) {
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

void append_modified(std::string& out, const ModTime& mod) {
  out.push_back('\'');
  append_number(out, mod.year, 4, ' ');
  out.push_back('-');
  append_two(out, mod.month, '-');
  append_two(out, mod.day, ' ');
  append_two(out, mod.hour, ':');
  append_number(out, mod.minute, 2, '0');
}

void append_parsed_date(std::string& out, const ParsedDate& date, bool space_padded_year) {
  out.push_back('\'');
  append_number(out, date.year, 4, space_padded_year ? ' ' : '0');
  out.push_back('-');
  append_two(out, date.month, '-');
  append_two(out, date.day, ' ');
  out.append(date.time_text);
}

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

}  // namespace mailsift
