// The scanner's working record for one message: the captured fields it
// fills, and the per-message counters and flags the capture rules keep.
#pragma once

#include <cstdint>

#include "util/message_record.h"

namespace mailsift {

// One counter per rule group; each starts at 1 and grows with every entry.
struct EntryCounters {
  std::int32_t from = 1;
  std::int32_t to = 1;
  std::int32_t cc = 1;
  std::int32_t bcc = 1;
  std::int32_t date = 1;
  std::int32_t sent = 1;
  std::int32_t subject = 1;
  std::int32_t read_status = 1;   // Read flags and Mozilla status
  std::int32_t attachment = 1;    // Attachment keyword and Forwarded message
  std::int32_t content_type = 1;  // Content-type name
  std::int32_t ip = 1;            // Bracketed address and Receiving host
};

struct HeaderRecord : CapturedFields {
  EntryCounters counters;

  bool in_header = true;
  bool from_seen = false;
  bool to_seen = false;
  bool date_done = false;
  bool attach_by_content_type = false;

  // Back to the state a message starts in, keeping every buffer's storage.
  void clear() {
    CapturedFields::clear();
    counters = EntryCounters{};
    in_header = true;
    from_seen = to_seen = date_done = attach_by_content_type = false;
  }
};

}  // namespace mailsift
