#include "report/row_sink.h"

namespace mailsift {

Stop RowSink::write_row(const MessageTexts& texts, bool is_directory) {
  if (!texts.warning.empty()) progress_.write(texts.warning);
  report_.write(texts.row);
  if (!is_directory) ++file_count_;
  return report_.failed() ? Stop::kWriteError : Stop::kNone;
}

}  // namespace mailsift
