// The message scanner's buffers, allocated once and reused for every message.
// Each scanning thread needs a workspace of its own; nothing else is shared.
#pragma once

#include <string>

#include "scan/header_record.h"
#include "scan/row_writer.h"
#include "util/text_reader.h"

namespace mailsift {

struct ScanWorkspace {
  TextReader reader;
  std::string row;        // the row being built, written to the report whole
  std::string warning;    // why the message could not be read completely
  std::string plain;      // the plain row a structured format is made from
  ColumnStarts starts{};  // where its columns start
  std::string line;       // the line in hand
  std::string ahead;      // a line read ahead by a capture rule
  HeaderRecord record;
};

}  // namespace mailsift
