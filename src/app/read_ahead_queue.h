// The files between the source and the scan stage while their first bytes
// are read ahead: each file handed over is started and held back, and goes
// on to the stage once `depth` files came after it (or the source ends).
// With depth 0 (no read ring) files go straight on.
#pragma once

#include <cstddef>
#include <vector>

#include "app/read_ahead.h"
#include "app/scan_pipeline.h"
#include "util/selected_file.h"
#include "util/stop.h"

namespace mailsift {

class ReadAheadQueue : public FileConsumer {
 public:
  ReadAheadQueue(ReadAhead& ahead, ScanStage& stage, std::size_t depth);
  // Files never handed on are closed.
  ~ReadAheadQueue() override;
  ReadAheadQueue(const ReadAheadQueue&) = delete;
  ReadAheadQueue& operator=(const ReadAheadQueue&) = delete;

  Stop accept(SelectedFile& file) override;
  // Once the source stopped with `source_stop`: hands on the files held,
  // unless the run is to end (an interrupt, a failed write), then lets the
  // stage finish.
  Stop finish(Stop source_stop);

  // The files held back for a run of `jobs` scanning threads: one thread
  // scans nothing ahead itself and holds more; the parallel scan's ring
  // holds the rest. At most an eighth of the handles the process may hold.
  static std::size_t depth_for(int jobs, std::size_t handle_limit);

 private:
  Stop hand_on();
  void close_held();

  ReadAhead& ahead_;
  ScanStage& stage_;
  std::vector<SelectedFile> held_;  // a ring of depth slots
  std::size_t first_ = 0;
  std::size_t count_ = 0;
};

}  // namespace mailsift
