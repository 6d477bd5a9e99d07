// What one scanning thread works with: its scanner workspace, the record the
// scanner fills, the formatter that makes the record's texts, and the texts.
#pragma once

#include <string_view>

#include "app/archive_reader.h"
#include "options/report_options.h"
#include "options/scan_options.h"
#include "platform/platform.h"
#include "report/message_formatter.h"
#include "scan/scan_file.h"
#include "scan/scan_workspace.h"
#include "util/message_pieces.h"
#include "util/message_record.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

// The options every lane of a run shares.
struct LaneOptions {
  ScanOptions scan;
  ReportOptions report;
  // A file whose first line begins with "From " is an mbox archive, scanned
  // message by message.
  bool mbox = false;
};

struct ScanLane {
  explicit ScanLane(const LaneOptions& lane) : options(lane.scan), formatter(lane.report) {}

  // Scans `file` (closing its handle), taking `head` as its first bytes, and
  // leaves its texts in `texts`; returns the scanner's stop.
  Stop run(SelectedFile& file, InterruptCheck interrupted = &platform::interrupted,
           FileHead head = {}) {
    const Stop stop = scan_file(ws, file, options, record, interrupted, head);
    formatter.format(record, texts);
    return stop;
  }

  // Scans message `unit` of `archive`; `failure` says why the archive could
  // not be read past it, when it could not.
  Stop run_message(const SelectedFile& archive, const ArchiveUnit& unit, std::string_view failure,
                   InterruptCheck interrupted = &platform::interrupted) {
    UnitPieces pieces(unit, failure);
    return run_pieces(archive, {unit.number, unit.place.separator, unit.size()}, pieces,
                      interrupted);
  }

  // Scans the message of `archive` at `place` whose bytes `pieces` delivers.
  Stop run_pieces(const SelectedFile& archive, const ArchivePlace& place, MessagePieces& pieces,
                  InterruptCheck interrupted = &platform::interrupted) {
    const Stop stop = scan_archive_message(ws, archive, place, pieces, options, record, interrupted);
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
