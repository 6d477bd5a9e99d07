#include "report/row_sink.h"

namespace mailsift {

Stop RowSink::write_row(std::string_view warning, std::string_view row, bool is_directory) {
  if (!warning.empty()) progress_.write(warning);
  report_.write(row);
  if (!is_directory) ++file_count_;
  return report_.failed() ? Stop::kWriteError : Stop::kNone;
}

}  // namespace mailsift
