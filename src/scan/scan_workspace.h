// The message scanner's buffers, allocated once and reused for every message.
// Each scanning thread needs a workspace of its own; nothing else is shared.
#pragma once

#include <string>

#include "scan/header_record.h"
#include "util/text_reader.h"

namespace mailsift {

struct ScanWorkspace {
  TextReader reader;
  std::string line;   // the line in hand
  std::string ahead;  // a line read ahead by a capture rule
  HeaderRecord record;
};

}  // namespace mailsift
