#include "scan/decoded_fields.h"

#include "scan/mail_date.h"
#include "scan/maildir_flags.h"

namespace mailsift {

void FieldDecoder::decode(const OwnHeaderCollector& header, std::string_view path,
                          platform::FileTime modified, DecodedFields& out) {
  out.clear();
  const auto text_of = [&](OwnField field, OptionalText& target) {
    if (!header.present(field)) return;
    target.present = true;
    text_.decode_words(header.value(field), target.text);
  };
  if (header.present(OwnField::kMessageId)) {
    out.message_id.present = true;
    HeaderTextDecoder::decode_plain(header.value(OwnField::kMessageId), out.message_id.text);
  }
  text_of(OwnField::kFrom, out.from_text);
  text_of(OwnField::kTo, out.to_text);
  text_of(OwnField::kCc, out.cc_text);
  text_of(OwnField::kSubject, out.subject_text);
  if (header.present(OwnField::kDate)) {
    const std::optional<std::int64_t> instant = parse_mail_date(header.value(OwnField::kDate));
    if (instant) out.date_utc.present = append_utc_time(*instant, out.date_utc.text);
  }
  append_file_time_utc(modified, out.modified_utc);
  out.maildir_flags.assign(maildir_flags(path));
}

}  // namespace mailsift
