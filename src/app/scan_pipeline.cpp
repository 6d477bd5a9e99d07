#include "app/scan_pipeline.h"

#include "app/parallel_scan.h"
#include "scan/scan_file.h"

namespace mailsift {

Stop SequentialScan::accept(SelectedFile& file) {
  build_progress_line(progress_, file);
  sink_.write_progress(progress_);
  if (file.size > kLongScanBytes) sink_.flush_progress();
  const Stop scanned = scan_file(ws_, fs_, file, format_);
  if (scanned == Stop::kReadError) read_failed_ = true;
  // An interrupt during the scan still leaves a whole row to write; the
  // source sees the interrupt before its next file.
  return sink_.write_row(ws_.warning, ws_.row, file.is_directory);
}

std::unique_ptr<ScanStage> make_scan_stage(platform::FileSystem& fs, RowFormat format,
                                           RowSink& sink, int jobs) {
  if (jobs <= 1) return std::make_unique<SequentialScan>(fs, format, sink);
  return std::make_unique<ParallelScan>(fs, format, sink, jobs);
}

}  // namespace mailsift
