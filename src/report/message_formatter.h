// Every text one message gives, made from its record in the format the run
// asks for: the progress line, the warning and the report's row. The one
// place that knows the report's formats; scanning threads each use a
// formatter of their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

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

  std::size_t bytes() const { return warning.size() + row.size(); }
  void swap(MessageTexts& other) noexcept {
    warning.swap(other.warning);
    row.swap(other.row);
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

  // The texts of one scanned message, replacing what `texts` held.
  void format(const MessageRecord& record, MessageTexts& texts);

 private:
  ReportOptions options_;
  StructuredRow structured_;
};

}  // namespace mailsift
