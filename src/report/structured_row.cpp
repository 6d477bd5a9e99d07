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

void append_unicode_escape(RecordBuffer& out, std::uint32_t code) {
  out.append("\\u");
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHex[(code >> shift) & 0xF]);
}

// Whether a byte goes into a JSON string as it is: printable ASCII other
// than the quote and the backslash.
[[maybe_unused]] constexpr bool json_plain(unsigned char b) {
  return b >= 0x20 && b < 0x7F && b != '"' && b != '\\';
}

// Copies the bytes from `pos` on that go into a JSON string as they are to
// `out` and returns their number. Where the processor allows it, sixteen
// bytes are tested at once and stored whole (the buffer's slack takes what
// lies past the run). Else eight are tested: a word holds a byte that needs
// care when one has its high bit set, is below 0x20, or is 0x7F, '"' or '\\'.
// Each test may mark bytes above a true match by its borrow, but never marks
// a word without one; the bytes of a marked word are then looked at one by
// one.
std::size_t copy_json_plain_run(RecordBuffer& out, std::string_view text, std::size_t pos) {
  const std::size_t start = pos;
  const std::size_t n = text.size();
#ifdef MAILSIFT_BYTE_SCAN_SSE2
  // A signed comparison with 0x20 marks the bytes below it and those with
  // the high bit set alike.
  const auto care = [](__m128i x) {
    const __m128i marked = _mm_or_si128(
        _mm_or_si128(_mm_cmplt_epi8(x, _mm_set1_epi8(0x20)), _mm_cmpeq_epi8(x, _mm_set1_epi8('"'))),
        _mm_or_si128(_mm_cmpeq_epi8(x, _mm_set1_epi8('\\')), _mm_cmpeq_epi8(x, _mm_set1_epi8(0x7F))));
    return static_cast<unsigned>(_mm_movemask_epi8(marked));
  };
  const auto load = [](const char* at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at));
  };
  char* const first = out.room(n - pos);
  char* dst = first;
  for (; pos + 16 <= n; pos += 16, dst += 16) {
    const __m128i x = load(text.data() + pos);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), x);
    if (const unsigned mask = care(x); mask != 0) {
      const auto k = static_cast<std::size_t>(std::countr_zero(mask));
      out.advance(static_cast<std::size_t>(dst - first) + k);
      return pos + k - start;
    }
  }
  const std::size_t left = n - pos;
  if (left == 0) {
    out.advance(static_cast<std::size_t>(dst - first));
    return pos - start;
  }
  unsigned mask;
  if (n >= start + 16) {
    // The last sixteen bytes of the run again, stored over the same bytes.
    const __m128i x = load(text.data() + n - 16);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst - (16 - left)), x);
    mask = care(x) >> (16 - left);
  } else {
    char copy[16] = {};
    std::memcpy(copy, text.data() + pos, left);
    const __m128i x = load(copy);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(dst), x);
    mask = care(x) & ((1u << left) - 1);
  }
  const std::size_t k = mask != 0 ? static_cast<std::size_t>(std::countr_zero(mask)) : left;
  out.advance(static_cast<std::size_t>(dst - first) + k);
  return pos + k - start;
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
  out.append(text.substr(start, pos - start));
  return pos - start;
#endif
}

// The text of a JSON string, without its quotes.
void put_json_text(RecordBuffer& out, std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    // Most text is printable ASCII: it goes out in runs, unchanged.
    pos += copy_json_plain_run(out, text, pos);
    if (pos == text.size()) break;
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
    const std::string key = std::string(i == 0 ? "{\"" : ",\"") + names_[i] + "\":";
    keys_.push_back(key);
    text_keys_.push_back(key + '"');
  }
  // Each in a slot of RecordBuffer::kSlack bytes, so that a record copies a
  // key as one fixed block.
  for (const std::vector<std::string>* keys : {&keys_, &text_keys_}) {
    for (const std::string& key : *keys) {
      key_slots_.append(key);
      key_slots_.append(RecordBuffer::kSlack - key.size(), '\0');
    }
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
    record_.clear();
    const std::size_t count = keys_.size();
    for_each_field(shown, record, [&](FieldKind kind, std::string_view text) {
      const char* const slot = key_slots_.data() + RecordBuffer::kSlack * i;
      if (kind == FieldKind::kText) {
        record_.append_padded(slot + RecordBuffer::kSlack * count, text_keys_[i++].size());
        put_json_text(record_, text);
        record_.push_back('"');
        return;
      }
      record_.append_padded(slot, keys_[i++].size());
      record_.append(kind == FieldKind::kNumber ? text : std::string_view("null"));
    });
    record_.append("}\n");
    out.append(record_.view());
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
  RecordBuffer buffer;
  buffer.push_back('"');
  put_json_text(buffer, text);
  buffer.push_back('"');
  out.append(buffer.view());
}

}  // namespace mailsift
