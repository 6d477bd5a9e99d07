#include "report/structured_row.h"

#include "report/column_text.h"
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

// Calls emit(index, text) for each of the fourteen columns in order, with
// the text the plain delimited row holds there.
template <typename Emit>
void for_each_column(std::string_view shown, const MessageRecord& record, std::string& scratch,
                     Emit&& emit) {
  const CapturedFields& f = record.fields;
  emit(0, shown);
  scratch.clear();
  append_number(scratch, record.size);
  emit(1, scratch);
  scratch.clear();
  append_modified(scratch, record.modified);
  emit(2, scratch);
  emit(3, f.from);
  emit(4, f.to);
  emit(5, f.cc);
  emit(6, f.bcc);
  emit(7, f.date);
  scratch.clear();
  append_parsed_date(scratch, f.parsed);
  emit(8, scratch);
  emit(9, f.forward_dates);
  emit(10, f.subject);
  emit(11, f.message_read);
  emit(12, f.attachment_info);
  emit(13, f.recent_ip);
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

void append_csv_header(std::string& out) {
  for (int i = 0; i < kColumns; ++i) {
    if (i > 0) out.push_back(',');
    append_csv_field(out, kColumnTitles[i]);
  }
  out.append("\r\n");
}

void append_csv_record(std::string& out, std::string_view shown, const MessageRecord& record,
                       std::string& scratch) {
  for_each_column(shown, record, scratch, [&out](int i, std::string_view text) {
    if (i > 0) out.push_back(',');
    append_csv_field(out, text);
  });
  out.append("\r\n");
}

void append_json_record(std::string& out, std::string_view shown, const MessageRecord& record,
                        std::string& scratch) {
  out.push_back('{');
  for_each_column(shown, record, scratch, [&out](int i, std::string_view text) {
    if (i > 0) out.push_back(',');
    append_json_string(out, kColumnTitles[i]);
    out.push_back(':');
    append_json_string(out, text);
  });
  out.append("}\n");
}

}  // namespace mailsift
