#include "report/message_formatter.h"

#include "platform/path_syntax.h"
#include "report/column_text.h"
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
    case ReportFormat::kJsonLines:
      structured_.header(out);
      return;
  }
}

namespace {

// A message of an mbox archive is named by its archive's name, "#" and its
// number.
void append_message_number(std::string& out, std::uint32_t mbox_message) {
  out.push_back('#');
  append_number(out, mbox_message);
}

}  // namespace

void MessageFormatter::progress(std::string& out, const SelectedFile& file) {
  if (file.unreadable_directory) {
    out.clear();
    return;
  }
  progress(out, file.path, 0, file.size);
}

void MessageFormatter::progress(std::string& out, std::string_view path,
                                std::uint32_t mbox_message, std::int64_t size) {
  char digits[kGroupedNumberSize];
  const std::string_view bytes = format_bytes(size, digits);
  out.assign("\n");
  out.append(platform::display_path(path));
  if (mbox_message > 0) append_message_number(out, mbox_message);
  out.append("   ");
  if (bytes.size() < 11) out.append(11 - bytes.size(), ' ');
  out.append(bytes);
  out.append(" Bytes");
}

namespace {

void warning_text(std::string& out, std::string_view what, std::string_view shown,
                  std::string_view reason) {
  out.assign("\ncan't read ");
  out.append(what);
  out.push_back(' ');
  out.append(shown);
  out.append(" (");
  out.append(reason);
  out.append(")");
}

}  // namespace

void MessageFormatter::format(const MessageRecord& record, MessageTexts& texts) {
  std::string_view shown = platform::display_path(record.path);
  if (record.mbox_message > 0) {
    name_.assign(shown);
    append_message_number(name_, record.mbox_message);
    shown = name_;
  }
  texts.mbox_message = record.mbox_message;
  texts.row.clear();
  if (record.outcome == ReadOutcome::kUnreadableDirectory) {
    warning_text(texts.warning, "directory", shown, record.read_error);
    return;
  }
  texts.warning.clear();
  if (record.outcome == ReadOutcome::kReadFailed) {
    warning_text(texts.warning, "file", shown, record.read_error);
  }
  switch (options_.format) {
    case ReportFormat::kDelimited:
      append_delimited_row(texts.row, DelimitedStyle{options_.delimiter, options_.quoted}, shown,
                           record);
      return;
    case ReportFormat::kCsv:
    case ReportFormat::kJsonLines:
      structured_.append(texts.row, shown, record);
      return;
  }
}

}  // namespace mailsift
