// One selected file: its progress line, its report row and, when it could
// not be read completely, its warning.
#pragma once

#include <string>

#include "platform/platform.h"
#include "scan/message_scanner.h"
#include "scan/row_writer.h"
#include "scan/scan_workspace.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

// The file's progress line, shown before it is scanned.
void build_progress_line(std::string& progress, const SelectedFile& file);

// Reads `file` (its handle is closed here) and leaves in the workspace the
// whole row (ws.row) and the warning (ws.warning, empty when the file was
// read completely). The row is whole also when the file is unreadable or the
// scan is interrupted. An unreadable directory of the walk gets its warning
// only (row empty). Returns kReadError when bytes (or a directory) could not
// be read, kInterrupted when an interrupt cut the scan short, else kNone.
// `interrupted` is asked before every line.
Stop scan_file(ScanWorkspace& ws, platform::FileSystem& fs, SelectedFile& file, RowFormat format,
               InterruptCheck interrupted = &platform::interrupted);

}  // namespace mailsift
