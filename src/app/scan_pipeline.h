// The connection of a file source to the sink: each selected file is
// scanned and its texts written in report order, on the calling thread or
// by the ordered parallel scan.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "app/scan_lane.h"
#include "report/row_sink.h"
#include "util/selected_file.h"

namespace mailsift {

class ScanStage : public FileConsumer {
 public:
  // Before scanning a file larger than this, or waiting for one, the console
  // text held so far is written out: the file's progress line must show
  // while it is read.
  static constexpr std::int64_t kLongScanBytes = 256 << 10;

  // Once the source has stopped with `source_stop`: writes what is still
  // waiting; returns how the run goes on.
  virtual Stop finish(Stop source_stop) = 0;
  // Some message could not be read completely.
  virtual bool read_failed() const = 0;
};

// One thread: the file's progress line is written, the file scanned and
// its row written before the source goes on.
class SequentialScan : public ScanStage {
 public:
  SequentialScan(platform::FileSystem& fs, const LaneOptions& options, RowSink& sink)
      : fs_(fs), lane_(options), sink_(sink) {}

  Stop accept(SelectedFile& file) override;
  // Everything is written already; a source's read error does not stop it.
  Stop finish(Stop source_stop) override {
    return source_stop == Stop::kReadError ? Stop::kNone : source_stop;
  }
  bool read_failed() const override { return read_failed_; }

 private:
  platform::FileSystem& fs_;
  ScanLane lane_;
  RowSink& sink_;
  std::string progress_;
  bool read_failed_ = false;
};

// One thread for jobs = 1 (no thread is started), else the parallel scan.
std::unique_ptr<ScanStage> make_scan_stage(platform::FileSystem& fs, const LaneOptions& options,
                                           RowSink& sink, int jobs);

}  // namespace mailsift
