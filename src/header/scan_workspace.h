// The message scanner's buffers, allocated once and reused for every message.
#pragma once

#include <string>

#include "header/text_reader.h"

namespace mailsift {

struct ScanWorkspace {
  TextReader reader;
  std::string row;
};

}  // namespace mailsift
