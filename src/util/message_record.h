// One message as the scanner leaves it: the file's facts, what its lines
// gave for each captured column, and how reading it ended. Plain data that
// flows from the scanner to report/, which makes every output text from it;
// nothing here is text of the report.
//
// The text fields grow as needed (nothing captured is ever cut) and are
// reused from message to message: clear() empties them but keeps their
// storage, so after the first few messages no field allocates again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "util/selected_file.h"

namespace mailsift {

// Message Read before any read-status line.
inline constexpr const char* kMessageReadUnknown = " Unknown  ";

// The first Date or Sent line, taken apart.
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

// The captured columns, each as the capture rules built it: numbered
// entries in file order, the bytes as read.
struct CapturedFields {
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
  }
  // Exchanges every field's storage (no copy).
  void swap(CapturedFields& other) noexcept {
    from.swap(other.from);
    to.swap(other.to);
    cc.swap(other.cc);
    bcc.swap(other.bcc);
    date.swap(other.date);
    forward_dates.swap(other.forward_dates);
    subject.swap(other.subject);
    message_read.swap(other.message_read);
    attachment_info.swap(other.attachment_info);
    recent_ip.swap(other.recent_ip);
    std::swap(parsed.year, other.parsed.year);
    std::swap(parsed.month, other.parsed.month);
    std::swap(parsed.day, other.parsed.day);
    parsed.time_text.swap(other.parsed.time_text);
  }
};

// A text that may be absent, as distinct from empty. clear() keeps the
// storage.
struct OptionalText {
  std::string text;
  bool present = false;

  void clear() {
    text.clear();
    present = false;
  }
};

struct DecodedFields {
  OptionalText message_id;  // unfolded and trimmed, angle brackets kept
  OptionalText from_text;   // the rest decoded (see header_text.h)
  OptionalText to_text;
  OptionalText cc_text;
  OptionalText subject_text;
  OptionalText date_utc;      // "YYYY-MM-DDTHH:MM:SSZ"; absent when unparseable
  std::string modified_utc;   // the same form
  std::string maildir_flags;  // empty when the name has none

  void clear() {
    message_id.clear();
    from_text.clear();
    to_text.clear();
    cc_text.clear();
    subject_text.clear();
    date_utc.clear();
    modified_utc.clear();
    maildir_flags.clear();
  }
};

inline constexpr std::size_t kDigestFields = 6;

// How reading the message ended.
enum class ReadOutcome : std::uint8_t {
  kWhole,        // read to its end
  kInterrupted,  // an interrupt cut the scan short (the record is still whole)
  kReadFailed,   // bytes could not be read, or the file not opened: see read_error
  // Not a message: a directory of the walk that could not be read (path is
  // the directory, read_error why). It has a warning in its place in report
  // order, and no progress line and no row.
  kUnreadableDirectory,
};

struct MessageRecord {
  // The file's facts, as its source found them.
  std::uint64_t sequence = 0;  // position in report order, from 0
  std::string path;            // the stored path (platform::display_path shows it)
  std::int64_t size = 0;
  ModTime modified;
  std::uint64_t write_time = 0;  // the modification time as a file time (100 ns since 1601, UTC)

  CapturedFields fields;

  // The structured formats' own fields: the decoded header fields, the place
  // of a message in its mbox archive, and the digests of its bytes.
  DecodedFields decoded;
  std::uint32_t mbox_message = 0;  // its number, from 1; 0 when not a message of an mbox
  std::int64_t mbox_offset = 0;    // the byte offset of its "From " line in the archive
  // Lower-case hexadecimal, crc32, md5, sha1, sha256, sha384 and sha512 in
  // that order, each when asked for; unknown (digests_whole false) for a
  // message that was not read to its end.
  std::array<std::string, kDigestFields> digests;
  bool digests_whole = false;

  ReadOutcome outcome = ReadOutcome::kWhole;
  std::string read_error;  // why it could not be read (kReadFailed)

  // Takes the facts of `file` (its path copied into this record's storage).
  void take_facts(const SelectedFile& file) {
    sequence = file.sequence;
    path.assign(file.path);
    size = file.size;
    modified = file.modified;
    write_time = file.write_time;
    mbox_message = 0;
    mbox_offset = 0;
    digests_whole = false;
    outcome = ReadOutcome::kWhole;
    read_error.clear();
  }
};

}  // namespace mailsift
