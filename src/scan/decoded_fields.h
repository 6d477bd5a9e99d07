// The readable, typed fields of one message for the structured formats:
// its own header block's Message-ID, From, To, Cc, Subject and Date decoded,
// the file's modification time, and its Maildir flags.
#pragma once

#include <string>
#include <string_view>

#include "platform/platform.h"
#include "scan/header_text.h"
#include "scan/own_header.h"
#include "util/message_record.h"

namespace mailsift {

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
