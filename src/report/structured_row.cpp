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

// The names of the fields after the fourteen columns.
constexpr const char* kMboxNames[] = {"mbox_message", "mbox_offset"};
constexpr const char* kDigestNames[kDigestFields] = {"crc32",  "md5",    "sha1",
                                                     "sha256", "sha384", "sha512"};

}  // namespace

StructuredRow::StructuredRow(const ReportOptions& options)
    : json_(options.format == ReportFormat::kJsonLines),
      mbox_fields_(options.mbox_fields),
      digests_(options.digests) {
  for (int i = 0; i < kColumns; ++i) names_.emplace_back(kColumnTitles[i]);
  if (mbox_fields_) names_.insert(names_.end(), std::begin(kMboxNames), std::end(kMboxNames));
  for (int i = 0; i < static_cast<int>(kDigestFields); ++i) {
    if (digests_.at(i)) names_.emplace_back(kDigestNames[i]);
  }
  // The JSON keys, each with its quotes, the colon and the comma before it,
  // made once (the names need no escapes).
  for (std::size_t i = 0; i < names_.size(); ++i) {
    keys_.push_back(std::string(i == 0 ? "{\"" : ",\"") + names_[i] + "\":");
  }
}

template <typename Emit>
void StructuredRow::for_each_field(std::string_view shown, const MessageRecord& record,
                                   Emit&& emit) {
  const CapturedFields& f = record.fields;
  // The fourteen columns, each with the text the plain delimited row holds.
  emit(FieldKind::kText, shown);
  scratch_.clear();
  append_number(scratch_, record.size);
  emit(FieldKind::kText, scratch_);
  scratch_.clear();
  append_modified(scratch_, record.modified);
  emit(FieldKind::kText, scratch_);
  emit(FieldKind::kText, f.from);
  emit(FieldKind::kText, f.to);
  emit(FieldKind::kText, f.cc);
  emit(FieldKind::kText, f.bcc);
  emit(FieldKind::kText, f.date);
  scratch_.clear();
  append_parsed_date(scratch_, f.parsed);
  emit(FieldKind::kText, scratch_);
  emit(FieldKind::kText, f.forward_dates);
  emit(FieldKind::kText, f.subject);
  emit(FieldKind::kText, f.message_read);
  emit(FieldKind::kText, f.attachment_info);
  emit(FieldKind::kText, f.recent_ip);
  if (mbox_fields_ && record.mbox_message == 0) {
    // A file read whole, not a message of an archive.
    emit(FieldKind::kNull, std::string_view());
    emit(FieldKind::kNull, std::string_view());
  } else if (mbox_fields_) {
    scratch_.clear();
    append_number(scratch_, record.mbox_message);
    emit(FieldKind::kNumber, scratch_);
    scratch_.clear();
    append_number(scratch_, record.mbox_offset);
    emit(FieldKind::kNumber, scratch_);
  }
  for (int i = 0; i < static_cast<int>(kDigestFields); ++i) {
    if (!digests_.at(i)) continue;
    if (record.digests_whole) {
      emit(FieldKind::kText, record.digests[static_cast<std::size_t>(i)]);
    } else {
      emit(FieldKind::kNull, std::string_view());
    }
  }
}

void StructuredRow::header(std::string& out) const {
  if (json_) return;
  for (std::size_t i = 0; i < names_.size(); ++i) {
    if (i > 0) out.push_back(',');
    append_csv_field(out, names_[i]);
  }
  out.append("\r\n");
}

void StructuredRow::append(std::string& out, std::string_view shown, const MessageRecord& record) {
  std::size_t i = 0;
  if (json_) {
    for_each_field(shown, record, [&](FieldKind kind, std::string_view text) {
      out.append(keys_[i++]);
      if (kind == FieldKind::kText) {
        append_json_string(out, text);
      } else if (kind == FieldKind::kNumber) {
        out.append(text);
      } else {
        out.append("null");
      }
    });
    out.append("}\n");
    return;
  }
  // An absent value is an empty field, without quotes.
  for_each_field(shown, record, [&](FieldKind kind, std::string_view text) {
    if (i++ > 0) out.push_back(',');
    if (kind != FieldKind::kNull) append_csv_field(out, text);
  });
  out.append("\r\n");
}

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

}  // namespace mailsift
