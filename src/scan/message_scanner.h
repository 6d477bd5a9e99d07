// The scanner core: from the bytes of one message to columns 4 to 14 of its
// report row. It keeps no state beyond the workspace it is given, so separate
// workspaces can scan separate messages at the same time.
#pragma once

#include <string>

#include "scan/row_writer.h"
#include "scan/scan_workspace.h"
#include "util/text_reader.h"

namespace mailsift {

// Asked before every line; true stops the scan (the row is still completed).
using InterruptCheck = bool (*)();

// Reads the message ws.reader delivers to its end, cleaning each line and
// offering it to the recognisers; fills ws.record (cleared first). False when
// the interrupt check stopped it early.
bool scan_lines(ScanWorkspace& ws, char delimiter, InterruptCheck interrupted);

// Scans the message in `source` (nullptr: a file that could not be opened,
// scanned as empty) and appends columns 4 to 14 to `out`. Leaves the record's
// parsed date reset for the next message. False when interrupted. `starts`,
// when given, receives where columns 4 to 14 start.
bool scan_message_text(ScanWorkspace& ws, ByteSource* source, RowFormat format,
                       InterruptCheck interrupted, std::string& out,
                       ColumnStarts* starts = nullptr);

}  // namespace mailsift
