#include "scan/structured_rows.h"

#include "util/characters.h"

namespace mailsift {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void append_unicode_escape(std::string& out, std::uint32_t code) {
  out.append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

void append_csv_field(std::string& out, std::string_view text) {
  out.push_back('"');
  double_quotes(out, text);
  out.push_back('"');
}

// Column i of a plain row: from its start to the delimiter before the next
// column, or to the end for the last.
std::string_view column(std::string_view row, const ColumnStarts& starts, int i) {
  const std::size_t end =
      i + 1 < kColumns ? starts[static_cast<std::size_t>(i) + 1] - 1 : row.size();
  const std::size_t begin = starts[static_cast<std::size_t>(i)];
  return row.substr(begin, end - begin);
}

}  // namespace

void append_json_string(std::string& out, std::string_view text) {
  out.push_back('"');
  std::size_t pos = 0;
  while (pos < text.size()) {
    const unsigned char byte = static_cast<unsigned char>(text[pos]);
    if (byte >= 0x80) {
      const DecodedChar c = decode_char(text, pos);
      if (c.length == 1) {
        append_unicode_escape(out, c.code);  // a stray byte
      } else {
        out.append(text.substr(pos, c.length));
      }
      pos += c.length;
      continue;
    }
    switch (byte) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\r':
        out.append("\\r");
        break;
      case '\t':
        out.append("\\t");
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          append_unicode_escape(out, byte);
        } else {
          out.push_back(static_cast<char>(byte));
        }
    }
    ++pos;
  }
  out.push_back('"');
}

void append_structured_header(std::string& out, RowStyle style) {
  if (style != RowStyle::kCsv) return;
  for (int i = 0; i < kColumns; ++i) {
    if (i > 0) out.push_back(',');
    append_csv_field(out, kColumnTitles[i]);
  }
  out.append("\r\n");
}

void append_structured_row(std::string& out, RowStyle style, std::string_view plain_row,
                           const ColumnStarts& starts) {
  if (style == RowStyle::kCsv) {
    for (int i = 0; i < kColumns; ++i) {
      if (i > 0) out.push_back(',');
      append_csv_field(out, column(plain_row, starts, i));
    }
    out.append("\r\n");
    return;
  }
  out.push_back('{');
  for (int i = 0; i < kColumns; ++i) {
    if (i > 0) out.push_back(',');
    append_json_string(out, kColumnTitles[i]);
    out.push_back(':');
    append_json_string(out, column(plain_row, starts, i));
  }
  out.append("}\n");
}

}  // namespace mailsift
