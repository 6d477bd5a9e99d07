// The connection of a file source to the sink: each selected file is
// scanned and its texts written, in report order, on the calling thread.
#pragma once

#include "platform/platform.h"
#include "report/row_sink.h"
#include "scan/row_writer.h"
#include "scan/scan_workspace.h"
#include "util/selected_file.h"

namespace mailsift {

class SequentialScan : public FileConsumer {
 public:
  SequentialScan(platform::FileSystem& fs, RowFormat format, RowSink& sink)
      : fs_(fs), format_(format), sink_(sink) {}

  Stop accept(SelectedFile& file) override;

  // Some message could not be read completely.
  bool read_failed() const { return read_failed_; }

 private:
  platform::FileSystem& fs_;
  RowFormat format_;
  RowSink& sink_;
  ScanWorkspace ws_;
  bool read_failed_ = false;
};

}  // namespace mailsift
