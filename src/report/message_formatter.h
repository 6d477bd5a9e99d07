// Every text one message gives, made from its record in the format the run
// asks for: the progress line, the warning and the report's row. The one
// place that knows the report's formats; scanning threads each use a
// formatter of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "options/report_options.h"
#include "report/structured_row.h"
#include "util/message_record.h"
#include "util/selected_file.h"

namespace mailsift {

// What the run writes for one message once it is scanned, after its
// progress line: the warning to standard error, the row to the report.
struct MessageTexts {
  std::string warning;  // empty when the message was read completely
  std::string row;
  std::uint32_t mbox_message = 0;  // its number in its mbox archive, 0 for a file

  std::size_t bytes() const { return warning.size() + row.size(); }
  void swap(MessageTexts& other) noexcept {
    warning.swap(other.warning);
    row.swap(other.row);
    std::swap(mbox_message, other.mbox_message);
  }
};

class MessageFormatter {
 public:
  explicit MessageFormatter(const ReportOptions& options)
      : options_(options), structured_(options) {}

  // What a report starts with when it starts empty: the header row (without
  // a line end in the delimited report, whose rows begin with one), or
  // nothing (JSON Lines).
  void header(std::string& out) const;

  // "\n%s   %11s Bytes": the line shown before a file is scanned (none for a
  // directory that could not be read).
  static void progress(std::string& out, const SelectedFile& file);
  // The line shown before message `mbox_message` (from 1) of the mbox
  // archive at `path` is scanned: the archive's name, "#" and the number,
  // and the message's size.
  static void progress(std::string& out, std::string_view path, std::uint32_t mbox_message,
                       std::int64_t size);

  // The texts of one scanned message, replacing what `texts` held.
  void format(const MessageRecord& record, MessageTexts& texts);

 private:
  ReportOptions options_;
  StructuredRow structured_;
  std::string name_;  // a message's name: its archive's, "#" and its number
};

}  // namespace mailsift
