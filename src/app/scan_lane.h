// What one scanning thread works with: its scanner workspace, the record the
// scanner fills, the formatter that makes the record's texts, and the texts.
#pragma once

#include "options/report_options.h"
#include "options/scan_options.h"
#include "platform/platform.h"
#include "report/message_formatter.h"
#include "scan/scan_file.h"
#include "scan/scan_workspace.h"
#include "util/message_record.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

// The options every lane of a run shares.
struct LaneOptions {
  ScanOptions scan;
  ReportOptions report;
};

struct ScanLane {
  explicit ScanLane(const LaneOptions& lane) : options(lane.scan), formatter(lane.report) {}

  // Scans `file` (closing its handle) and leaves its texts in `texts`;
  // returns the scanner's stop.
  Stop run(platform::FileSystem& fs, SelectedFile& file,
           InterruptCheck interrupted = &platform::interrupted) {
    const Stop stop = scan_file(ws, fs, file, options, record, interrupted);
    formatter.format(record, texts);
    return stop;
  }

  ScanOptions options;
  ScanWorkspace ws;
  MessageRecord record;
  MessageFormatter formatter;
  MessageTexts texts;
};

}  // namespace mailsift
