#include "app/scan_pipeline.h"

#include "scan/scan_file.h"

namespace mailsift {

Stop SequentialScan::accept(SelectedFile& file) {
  const Stop scanned = scan_file(ws_, fs_, file, format_);
  if (scanned == Stop::kReadError) read_failed_ = true;
  // An interrupt during the scan still leaves a whole row to write; the
  // source sees the interrupt before its next file.
  return sink_.write(ws_.progress, ws_.warning, ws_.row);
}

}  // namespace mailsift
