// One selected file through the scanner: its facts and captured fields into
// a message record, and how reading it ended.
#pragma once

#include "options/scan_options.h"
#include "platform/platform.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/message_record.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

// Reads `file` (its handle is closed here) and fills `record`: the file's
// facts, its captured fields and its outcome. The record is whole also when
// the file is unreadable or the scan is interrupted. An unreadable directory
// of the walk gives a record of that outcome only. Returns kReadError when
// bytes (or a directory) could not be read, or the file not opened,
// kInterrupted when an interrupt cut the scan short, else kNone. `interrupted` is asked before
// every line.
Stop scan_file(ScanWorkspace& ws, platform::FileSystem& fs, SelectedFile& file,
               const ScanOptions& options, MessageRecord& record,
               InterruptCheck interrupted = &platform::interrupted);

}  // namespace mailsift
