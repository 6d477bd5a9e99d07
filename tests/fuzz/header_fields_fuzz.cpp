// The decoded header fields over arbitrary messages: the own-header
// collector fed the reader's lines (in short pieces too), then the field
// decoder. The text fields must always be valid UTF-8, and a date, when there
// is one, must have its fixed form.
#include <cstdint>
#include <string>

#include "fuzz/fuzz_input.h"
#include "scan/decoded_fields.h"
#include "util/characters.h"
#include "util/text_reader.h"

namespace {

bool valid_utf8(std::string_view text) {
  for (std::size_t pos = 0; pos < text.size();) {
    const mailsift::DecodedChar c = mailsift::decode_char(text, pos);
    if (c.code >= 0xDC80 && c.code <= 0xDCFF && c.length == 1) return false;
    pos += c.length;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::string_view text = fuzz::as_text(data, size);
  // Short pieces exercise lines longer than a piece.
  const std::size_t piece = (fuzz::take_byte(text) & 1) != 0 ? 8 : 32768;
  static TextReader reader(4096);
  static OwnHeaderCollector header;
  static FieldDecoder decoder;
  static DecodedFields fields;
  StringSource source(text);
  reader.reset(&source);
  header.reset();
  std::string line;
  while (reader.read_line(line, piece) && header.feed(line)) {
  }
  reader.reset(nullptr);
  decoder.decode(header, "cur/1:2,S", 0, fields);
  for (const OptionalText* field : {&fields.message_id, &fields.from_text, &fields.to_text,
                                    &fields.cc_text, &fields.subject_text}) {
    FUZZ_CHECK(field->present || field->text.empty());
    FUZZ_CHECK(valid_utf8(field->text));
  }
  if (fields.date_utc.present) {
    FUZZ_CHECK(fields.date_utc.text.size() == 20 && fields.date_utc.text.back() == 'Z');
  }
  FUZZ_CHECK(fields.maildir_flags == "S");
  return 0;
}
