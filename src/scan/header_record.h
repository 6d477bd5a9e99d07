// What one message yields for its report row: the ten captured fields, the
// parsed date, the entry counters and the per-message flags.
//
// The text fields grow as needed (nothing captured is ever cut) and are
// reused from message to message: clear() empties them but keeps their
// storage, so after the first few messages no field allocates again.
#pragma once

#include <cstdint>
#include <string>

namespace mailsift {

// Message Read before any read-status line.
inline constexpr const char* kMessageReadUnknown = " Unknown  ";

struct ParsedDate {
  std::int32_t year = 0;
  std::int32_t month = 0;  // 0 when no month name was found, else 1..12
  std::int32_t day = 0;
  std::string time_text;  // the whole rest of the line from the time on

  void clear() {
    year = month = day = 0;
    time_text.clear();
  }
};

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

struct HeaderRecord {
  std::string from;
  std::string to;
  std::string cc;
  std::string bcc;
  std::string date;
  std::string forward_dates;
  std::string subject;
  std::string message_read = kMessageReadUnknown;
  std::string attachment_info;
  std::string recent_ip;

  ParsedDate parsed;
  EntryCounters counters;

  bool in_header = true;
  bool from_seen = false;
  bool to_seen = false;
  bool date_done = false;
  bool attach_by_content_type = false;

  // Back to the state a message starts in, keeping every buffer's storage.
  void clear() {
    from.clear();
    to.clear();
    cc.clear();
    bcc.clear();
    date.clear();
    forward_dates.clear();
    subject.clear();
    message_read.assign(kMessageReadUnknown);
    attachment_info.clear();
    recent_ip.clear();
    parsed.clear();
    counters = EntryCounters{};
    in_header = true;
    from_seen = to_seen = date_done = attach_by_content_type = false;
  }
};

}  // namespace mailsift
