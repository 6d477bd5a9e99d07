// What the scanner reads. Filled by configuration, then read only.
#pragma once

#include "options/digest_request.h"

namespace mailsift {

struct ScanOptions {
  // The report's delimiter as the capture rules see it: a header that puts
  // it right after its keyword gets a blank there. The structured formats
  // are made from rows delimited with "|".
  char delimiter = '|';
  // Collect and decode the message's own header block for the structured
  // formats' decoded fields (the delimited report does not show them).
  bool decode_fields = false;
  DigestRequest digests;
};

}  // namespace mailsift
