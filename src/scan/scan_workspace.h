// The message scanner's buffers, allocated once and reused for every message.
// Each scanning thread needs a workspace of its own; nothing else is shared.
#pragma once

#include <string>

#include "scan/decoded_fields.h"
#include "scan/header_record.h"
#include "scan/own_header.h"
#include "util/text_reader.h"

namespace mailsift {

struct ScanWorkspace {
  TextReader reader;
  std::string line;   // the line in hand
  std::string ahead;  // a line read ahead by a capture rule
  HeaderRecord record;
  // The structured formats' decoded fields: the message's own header block
  // as collected, and the decoder that makes the fields from it.
  OwnHeaderCollector own_header;
  FieldDecoder field_decoder;
};

}  // namespace mailsift
