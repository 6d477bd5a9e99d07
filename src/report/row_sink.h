// Where each message's texts go, in report order: its progress line (and
// warning) to the console, its row to the report.
#pragma once

#include "report/message_formatter.h"
#include "util/out_stream.h"
#include "util/stop.h"

namespace mailsift {

class RowSink {
 public:
  RowSink(OutStream& report, OutStream& progress) : report_(report), progress_(progress) {}

  // kWriteError once the report cannot be written completely.
  Stop write(const MessageTexts& texts);

 private:
  OutStream& report_;
  OutStream& progress_;
};

}  // namespace mailsift
