// The scanner core: from the bytes of one message to its captured fields. It
// keeps no state beyond the workspace it is given, so separate workspaces can
// scan separate messages at the same time.
#pragma once

#include <string>

#include "options/scan_options.h"
#include "scan/scan_workspace.h"
#include "util/text_reader.h"

namespace mailsift {

// Asked before every line; true stops the scan (the row is still completed).
using InterruptCheck = bool (*)();

// Reads the message ws.reader delivers to its end, cleaning each line and
// offering it to the recognisers; fills ws.record (cleared first). With
// `collect_own_header`, ws.own_header collects the message's own header
// block as well. False when the interrupt check stopped it early.
bool scan_lines(ScanWorkspace& ws, char delimiter, InterruptCheck interrupted,
                bool collect_own_header = false);

// Scans the message in `source` (nullptr: a file that could not be opened,
// scanned as empty) and leaves its captured fields in `fields` (whose storage
// the workspace keeps for the next message) and, when the options ask for
// decoded fields, its own header block in ws.own_header. False when
// interrupted.
bool scan_message(ScanWorkspace& ws, ByteSource* source, const ScanOptions& options,
                  CapturedFields& fields, InterruptCheck interrupted);

}  // namespace mailsift
