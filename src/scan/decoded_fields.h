// The readable, typed fields of one message for the structured formats:
// its own header block's Message-ID, From, To, Cc, Subject and Date decoded,
// the file's modification time, and its Maildir flags.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "scan/header_text.h"
#include "scan/own_header.h"

namespace mailsift {

// A text that may be absent, as distinct from empty. clear() keeps the
// storage.
struct OptionalText {
  std::string text;
  bool present = false;

  void clear() {
    text.clear();
    present = false;
  }
};

struct DecodedFields {
  OptionalText message_id;  // unfolded and trimmed, angle brackets kept
  OptionalText from_text;   // the rest decoded (see header_text.h)
  OptionalText to_text;
  OptionalText cc_text;
  OptionalText subject_text;
  OptionalText date_utc;      // "YYYY-MM-DDTHH:MM:SSZ"; absent when unparseable
  std::string modified_utc;   // the same form
  std::string maildir_flags;  // empty when the name has none

  void clear() {
    message_id.clear();
    from_text.clear();
    to_text.clear();
    cc_text.clear();
    subject_text.clear();
    date_utc.clear();
    modified_utc.clear();
    maildir_flags.clear();
  }
};

// Fills DecodedFields; keeps its buffers from message to message. One per
// scanning thread.
class FieldDecoder {
 public:
  // From the collected own header block, the file's stored path and its
  // modification time.
  void decode(const OwnHeaderCollector& header, std::string_view path, platform::FileTime modified,
              DecodedFields& out);

 private:
  HeaderTextDecoder text_;
};

}  // namespace mailsift
