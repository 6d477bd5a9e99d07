// One selected file through the scanner, or one message of an mbox archive:
// its facts and captured fields into a message record, and how reading it
// ended.
#pragma once

#include <cstdint>
#include <string_view>

#include "options/scan_options.h"
#include "platform/digest.h"
#include "platform/platform.h"
#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "util/message_pieces.h"
#include "util/message_record.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

// The first bytes of a file, read before its scan (to tell whether it is an
// mbox archive): the scanner takes them first and reads on from the handle.
struct FileHead {
  std::string_view bytes;
  // They are the whole file: the scanner reads nothing more.
  bool whole = false;
};

// Reads `file` (its handle is closed here) and fills `record`: the file's
// facts, its captured fields and its outcome. The record is whole also when
// the file is unreadable or the scan is interrupted. An unreadable directory
// of the walk gives a record of that outcome only. Returns kReadError when
// bytes (or a directory) could not be read, or the file not opened,
// kInterrupted when an interrupt cut the scan short, else kNone. `interrupted` is asked before
// every line.
Stop scan_file(ScanWorkspace& ws, SelectedFile& file,
               const ScanOptions& options, MessageRecord& record,
               InterruptCheck interrupted = &platform::interrupted, FileHead head = {});

// Where a message lies in its archive.
struct ArchivePlace {
  std::uint32_t number = 0;     // from 1
  std::uint64_t separator = 0;  // the offset of its "From " line
  // Its size in bytes when known before it is read, else -1: the bytes
  // `pieces` delivers are counted.
  std::int64_t size = -1;
};

// Scans one message of the mbox archive `archive` as a file holding only its
// bytes would be scanned: `pieces` delivers them, from the line after its
// "From " line to its end. The record gets the archive's facts but the size,
// the message's number and separator offset, and the digests
// ScanOptions::digests asks for of its bytes (known only when they were all
// read). Returns as scan_file does.
Stop scan_archive_message(ScanWorkspace& ws, const SelectedFile& archive,
                          const ArchivePlace& place,
                          MessagePieces& pieces, const ScanOptions& options,
                          MessageRecord& record,
                          InterruptCheck interrupted = &platform::interrupted);

}  // namespace mailsift
