#include "app/scan_pipeline.h"

#include "app/parallel_scan.h"

namespace mailsift {

Stop SequentialScan::accept(SelectedFile& file) {
  MessageFormatter::progress(progress_, file);
  sink_.write_progress(progress_);
  if (file.size > kLongScanBytes) sink_.flush_progress();
  const Stop scanned = lane_.run(fs_, file);
  if (scanned == Stop::kReadError) read_failed_ = true;
  // An interrupt during the scan still leaves a whole row to write; the
  // source sees the interrupt before its next file.
  return sink_.write_row(lane_.texts, file.is_directory);
}

std::unique_ptr<ScanStage> make_scan_stage(platform::FileSystem& fs, const LaneOptions& options,
                                           RowSink& sink, int jobs) {
  if (jobs <= 1) return std::make_unique<SequentialScan>(fs, options, sink);
  return std::make_unique<ParallelScan>(fs, options, sink, jobs);
}

}  // namespace mailsift
