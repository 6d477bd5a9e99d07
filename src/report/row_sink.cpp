#include "report/row_sink.h"

namespace mailsift {

Stop RowSink::write_row(const MessageTexts& texts, bool is_directory) {
  if (!texts.warning.empty()) progress_.write(texts.warning);
  report_.write(texts.row);
  if (!is_directory) ++file_count_;
  if (archives_ != nullptr && texts.mbox_message > 0) {
    ++archives_->messages;
    // Rows come in order: an archive's first row is its message 1.
    if (texts.mbox_message == 1) ++archives_->archives;
  }
  return report_.failed() ? Stop::kWriteError : Stop::kNone;
}

}  // namespace mailsift
