#include "report/row_sink.h"

namespace mailsift {

Stop RowSink::write(const MessageTexts& texts) {
  progress_.write(texts.progress);
  if (!texts.warning.empty()) progress_.write(texts.warning);
  report_.write(texts.row);
  return report_.failed() ? Stop::kWriteError : Stop::kNone;
}

}  // namespace mailsift
