#include "report/structured_row.h"

#include <array>
#include <cstdint>
#include <cstring>

#include "report/column_text.h"
#include "util/byte_scan.h"
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
[[maybe_unused]] constexpr bool json_plain(unsigned char b) {
  return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
}

// The number of bytes from `pos` on that go into a JSON string as they are.
// Sixteen bytes are tested at once where the processor allows it, else eight:
// a word holds a byte that needs care when one has its high bit set, is below
// 0x20, or is 0x7F, '"' or '\\'. Each test may mark bytes above a true match
// by its borrow, but never marks a word without one; the bytes of a marked
// word are then looked at one by one.
std::size_t json_plain_run(std::string_view text, std::size_t pos) {
  const std::size_t start = pos;
  const std::size_t n = text.size();
#ifdef MAILSIFT_BYTE_SCAN_SSE2
  // A signed comparison with 0x20 marks the bytes below it and those with
  // the high bit set alike.
  const auto care = [](const char* at) {
    const __m128i x = _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
    const __m128i marked = _mm_or_si128(
        _mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(x, _mm_set1_epi8('"'))),
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F))));
    return static_cast<unsigned>(_mm_movemask_epi8(marked));
  };
  for (; pos + 16 <= n; pos += 16) {
    if (const unsigned mask = care(text.data() + pos); mask != 0) {
      return pos + static_cast<std::size_t>(std::countr_zero(mask)) - start;
    }
  }
  if (pos == n) return pos - start;
  // The rest, under sixteen bytes: the last sixteen of the text again, or a
  // copy of a short text.
  const std::size_t left = n - pos;
  unsigned mask;
  if (n >= 16) {
    mask = care(text.data() + n - 16) >> (16 - left);
  } else {
    char copy[16] = {};
    std::memcpy(copy, text.data() + pos, left);
    mask = care(copy) & ((1u << left) - 1);
  }
  return (mask != 0 ? pos + static_cast<std::size_t>(std::countr_zero(mask)) : n) - start;
#else
  constexpr std::uint64_t kOnes = 0x0101010101010101ULL;
  constexpr std::uint64_t kHighs = 0x8080808080808080ULL;
  const auto zero_byte = [](std::uint64_t v) { return (v - kOnes) & ~v & kHighs; };
  while (pos + 8 <= n) {
    std::uint64_t x;
    std::memcpy(&x, text.data() + pos, 8);
    const std::uint64_t care = (x & kHighs) | ((x - kOnes * 0x20) & ~x & kHighs) |
                               zero_byte(x ^ (kOnes * '"')) | zero_byte(x ^ (kOnes * '\\')) |
                               zero_byte(x ^ (kOnes * 0x7F));
    if (care != 0) break;
    pos += 8;
  }
  while (pos < n && json_plain(static_cast<unsigned char>(text[pos]))) ++pos;
  return pos - start;
#endif
}

void append_csv_field(std::string& out, std::string_view text) {
  out.push_back('"');
  double_quotes(out, text);
  out.push_back('"');
}

// The names of the fields after the fourteen columns.
constexpr const char* kDecodedNames[] = {"message_id",   "from_text", "to_text",
                                         "cc_text",      "subject_text", "date_utc",
                                         "modified_utc", "maildir_flags"};
constexpr const char* kMboxNames[] = {"mbox_message", "mbox_offset"};
constexpr const char* kDigestNames[kDigestFields] = {"crc32",  "md5",    "sha1",
                                                     "sha256", "sha384", "sha512"};

}  // namespace

StructuredRow::StructuredRow(const ReportOptions& options)
    : json_(options.format == ReportFormat::kJsonLines),
      mbox_fields_(options.mbox_fields),
      digests_(options.digests) {
  for (int i = 0; i < kColumns; ++i) names_.emplace_back(kColumnTitles[i]);
  names_.insert(names_.end(), std::begin(kDecodedNames), std::end(kDecodedNames));
  if (mbox_fields_) names_.insert(names_.end(), std::begin(kMboxNames), std::end(kMboxNames));
  for (int i = 0; i < static_cast<int>(kDigestFields); ++i) {
    if (digests_.at(i)) names_.emplace_back(kDigestNames[i]);
  }
  // The JSON keys, each with its quotes, the colon and the comma before it,
  // made once (the names need no escapes); a text's key with its opening
  // quote too.
  for (std::size_t i = 0; i < names_.size(); ++i) {
    keys_.push_back(std::string(i == 0 ? "{\"" : ",\"") + names_[i] + "\":");
    text_keys_.push_back(keys_.back() + '"');
  }
}

template <typename Emit>
void StructuredRow::for_each_field(std::string_view shown, const MessageRecord& record,
                                   Emit&& emit) {
  const CapturedFields& f = record.fields;
  // The fourteen columns, each with the text the plain delimited row holds
  // (the size is that text too, and a number in JSON).
  emit(FieldKind::kText, shown);
  scratch_.clear();
  append_number(scratch_, record.size);
  emit(FieldKind::kNumber, scratch_);
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
  const DecodedFields& d = record.decoded;
  const auto optional = [&](const OptionalText& value) {
    if (value.present) {
      emit(FieldKind::kText, value.text);
    } else {
      emit(FieldKind::kNull, std::string_view());
    }
  };
  optional(d.message_id);
  optional(d.from_text);
  optional(d.to_text);
  optional(d.cc_text);
  optional(d.subject_text);
  optional(d.date_utc);
  emit(FieldKind::kText, d.modified_utc);
  emit(FieldKind::kText, d.maildir_flags);
  if (mbox_fields_) {
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
      if (kind == FieldKind::kText) {
        out.append(text_keys_[i++]);
        append_json_text(out, text);
        out.push_back('"');
        return;
      }
      out.append(keys_[i++]);
      out.append(kind == FieldKind::kNumber ? text : std::string_view("null"));
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
  append_json_text(out, text);
  out.push_back('"');
}

void append_json_text(std::string& out, std::string_view text) {
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
}

}  // namespace mailsift
