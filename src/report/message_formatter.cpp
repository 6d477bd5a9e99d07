#include "report/message_formatter.h"

#include "platform/path_syntax.h"
#include "report/delimited_row.h"
#include "report/structured_row.h"
#include "util/count_format.h"

namespace mailsift {

void MessageFormatter::header(std::string& out) const {
  switch (options_.format) {
    case ReportFormat::kDelimited:
      append_header_row(out, DelimitedStyle{options_.delimiter, options_.quoted});
      return;
    case ReportFormat::kCsv:
      append_csv_header(out);
      return;
    case ReportFormat::kJsonLines:
      return;
  }
}

void MessageFormatter::progress(std::string& out, std::string_view stored_path,
                                std::int64_t size) {
  char digits[kGroupedNumberSize];
  const std::string_view bytes = format_bytes(size, digits);
  out.assign("\n");
  out.append(platform::display_path(stored_path));
  out.append("   ");
  if (bytes.size() < 11) out.append(11 - bytes.size(), ' ');
  out.append(bytes);
  out.append(" Bytes");
}

void MessageFormatter::format(const MessageRecord& record, MessageTexts& texts) {
  const std::string_view shown = platform::display_path(record.path);
  progress(texts.progress, record.path, record.size);
  texts.warning.clear();
  if (record.outcome == ReadOutcome::kReadFailed) {
    texts.warning.assign("\ncan't read file ");
    texts.warning.append(shown);
    texts.warning.append(" (");
    texts.warning.append(record.read_error);
    texts.warning.append(")");
  }
  texts.row.clear();
  switch (options_.format) {
    case ReportFormat::kDelimited:
      append_delimited_row(texts.row, DelimitedStyle{options_.delimiter, options_.quoted}, shown,
                           record);
      return;
    case ReportFormat::kCsv:
      append_csv_record(texts.row, shown, record, scratch_);
      return;
    case ReportFormat::kJsonLines:
      append_json_record(texts.row, shown, record, scratch_);
      return;
  }
}

}  // namespace mailsift
