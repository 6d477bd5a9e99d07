#include "report/structured_row.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "report/column_text.h"
#include "util/characters.h"

namespace mailsift {

namespace {

constexpr char kHex[] = "0123456789abcdef";

void append_unicode_escape(std::string& out, std::uint32_t code) {
  out.append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

// Whether a byte goes into a JSON string as it is: printable ASCII other
// than the quote and the backslash.
constexpr bool json_plain(unsigned char b) {
  return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
}

// The number of bytes from `pos` on that go into a JSON string as they are.
// Eight bytes are tested at once: a word holds a byte that needs care when
// one has its high bit set, is below 0x20, or is 0x7F, '"' or '\\'. Each
// test may mark bytes above a true match by its borrow, but never marks a
// word without one; the bytes of a marked word are then looked at one by one.
std::size_t json_plain_run(std::string_view text, std::size_t pos) {
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const auto zero_byte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  const std::size_t start = pos;
  while (pos + 8 <= text.size()) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + pos, 8);
    const std::uint64_t care = (x & kHighs) | ((x - kOnes * 0x20) & ~x & kHighs) |
                               zero_byte(x ^ (kOnes * '"')) | zero_byte(x ^ (kOnes * '\\')) |
                               zero_byte(x ^ (kOnes * 0x7F));
    if (care != 0) break;
    pos += 8;
  }
  while (pos < text.size() && json_plain(static_cast<unsigned char>(text[pos]))) ++pos;
  return pos - start;
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
    // Most text is printable ASCII: it goes out in runs, unchanged.
    const std::size_t run = json_plain_run(text, pos);
    if (run > 0) {
      out.append(text.substr(pos, run));
      pos += run;
      if (pos == text.size()) break;
    }
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
  // The keys, each with its quotes, the colon and the comma before it, made
  // once (the titles need no escapes).
  static const std::array<std::string, kColumns> keys = [] {
    std::array<std::string, kColumns> made;
    for (int i = 0; i < kColumns; ++i) {
      made[static_cast<std::size_t>(i)] = std::string(i == 0 ? "{\"" : ",\"") + kColumnTitles[i] + "\":";
    }
    return made;
  }();
  for_each_column(shown, record, scratch, [&out](int i, std::string_view text) {
    out.append(keys[static_cast<std::size_t>(i)]);
    append_json_string(out, text);
  });
  out.append("}\n");
}

}  // namespace mailsift
