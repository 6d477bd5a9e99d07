// Where each file's texts go, in report order: its progress line (and
// warning) to the console, its row to the report.
#pragma once

#include <string_view>

#include "util/out_stream.h"
#include "util/stop.h"

namespace mailsift {

class RowSink {
 public:
  RowSink(OutStream& report, OutStream& progress) : report_(report), progress_(progress) {}

  // kWriteError once the report cannot be written completely.
  Stop write(std::string_view progress, std::string_view warning, std::string_view row);

 private:
  OutStream& report_;
  OutStream& progress_;
};

}  // namespace mailsift
