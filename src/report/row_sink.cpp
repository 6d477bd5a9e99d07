#include "report/row_sink.h"

namespace mailsift {

Stop RowSink::write(std::string_view progress, std::string_view warning, std::string_view row) {
  progress_.write(progress);
  if (!warning.empty()) progress_.write(warning);
  report_.write(row);
  return report_.failed() ? Stop::kWriteError : Stop::kNone;
}

}  // namespace mailsift
