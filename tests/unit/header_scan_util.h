// Helpers for the scanner tests: scan a message held in a string.
#pragma once

#include <string>
#include <string_view>

#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/text_reader.h"

namespace mailsift::test {

// Columns 4 to 14 of the row for `message`.
inline std::string row_end_of(std::string_view message, char delimiter = '|', bool quoted = false) {
  ScanWorkspace ws;
  StringSource source(message);
  std::string out;
  scan_message_text(ws, &source, RowFormat{delimiter, quoted}, nullptr, out);
  return out;
}

// The record the scanner fills for `message` (parsed date still in place).
inline HeaderRecord record_of(std::string_view message, char delimiter = '|') {
  ScanWorkspace ws;
  StringSource source(message);
  ws.reader.reset(&source);
  scan_lines(ws, delimiter, nullptr);
  return ws.record;
}

}  // namespace mailsift::test
