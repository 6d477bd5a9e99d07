// Helpers for the scanner tests: scan a message held in a string.
#pragma once

#include <string>
#include <string_view>

#include "report/delimited_row.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/text_reader.h"

namespace mailsift::test {

// Scans `source` with `ws` and appends columns 4 to 14 of its row to `out`.
// False when the interrupt check stopped the scan.
inline bool scan_columns(ScanWorkspace& ws, ByteSource* source, std::string& out,
                         InterruptCheck interrupted = nullptr, char delimiter = '|',
                         bool quoted = false) {
  CapturedFields fields;
  const bool whole = scan_message(ws, source, ScanOptions{delimiter}, fields, interrupted);
  append_captured_columns(out, DelimitedStyle{delimiter, quoted}, fields);
  return whole;
}

// Columns 4 to 14 of the row for `message`.
inline std::string row_end_of(std::string_view message, char delimiter = '|', bool quoted = false) {
  ScanWorkspace ws;
  StringSource source(message);
  std::string out;
  scan_columns(ws, &source, out, nullptr, delimiter, quoted);
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
