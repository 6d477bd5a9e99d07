#include "app/scan_pipeline.h"

#include "app/parallel_scan.h"

namespace mailsift {

bool ScanStage::take_archive(SelectedFile& file, Stop& stop) {
  if (!mbox_ || !ArchiveReader::may_be_archive(file) || !archive_.open(file)) return false;
  stop = read_archive(file);
  return true;
}

Stop ScanStage::read_archive(const SelectedFile& archive) {
  ArchiveUnit unit;
  Stop stop = Stop::kNone;
  while (stop == Stop::kNone) {
    // Like the walk before each file, before each message.
    if (platform::interrupted()) {
      stop = Stop::kInterrupted;
      break;
    }
    const ArchiveReader::Next next = archive_.next(unit);
    if (next != ArchiveReader::Next::kMessage) hand_over();
    switch (next) {
      case ArchiveReader::Next::kMessage:
        stop = take_message(archive, unit);
        break;
      case ArchiveReader::Next::kNoWindow:
        if (free_window(stop)) break;
        [[fallthrough]];  // nothing in flight holds one
      case ArchiveReader::Next::kLongMessage:
        stop = write_all();
        if (stop == Stop::kNone) stop = write_long_message(archive);
        break;
      case ArchiveReader::Next::kEnd:
        return Stop::kNone;
    }
  }
  hand_over();
  archive_.close();
  return stop;
}

Stop ScanStage::write_long_message(const SelectedFile& archive) {
  ScanLane& lane = writing_lane();
  ArchiveUnit unit;
  MessagePieces& pieces = archive_.long_message(unit);
  sink_.flush_progress();  // the rows before it show while it is read
  const Stop scanned =
      lane.run_pieces(archive, {unit.number, unit.place.separator, -1}, pieces);
  if (scanned == Stop::kInterrupted) return Stop::kInterrupted;
  if (scanned == Stop::kReadError) read_failed_ = true;
  MessageFormatter::progress(progress_, archive.path, unit.number, lane.record.size);
  sink_.write_progress(progress_);
  return sink_.write_row(lane.texts, false);
}

Stop SequentialScan::accept(SelectedFile& file) {
  Stop stop = Stop::kNone;
  if (take_archive(file, stop)) return stop;
  MessageFormatter::progress(progress_, file);
  sink_.write_progress(progress_);
  if (file.size > kLongScanBytes) sink_.flush_progress();
  const Stop scanned = lane_.run(file, &platform::interrupted, head());
  if (scanned == Stop::kReadError) read_failed_ = true;
  // An interrupt during the scan still leaves a whole row to write; the
  // source sees the interrupt before its next file.
  return sink_.write_row(lane_.texts, file.is_directory);
}

Stop SequentialScan::take_message(const SelectedFile& archive, ArchiveUnit& unit) {
  MessageFormatter::progress(progress_, archive.path, unit.number, unit.size());
  sink_.write_progress(progress_);
  if (unit.size() > kLongScanBytes) sink_.flush_progress();
  const Stop scanned = lane_.run_message(
      archive, unit, unit.read_failed ? archive_.error_text() : std::string_view());
  release_unit(unit);
  if (scanned == Stop::kReadError) read_failed_ = true;
  return sink_.write_row(lane_.texts, false);
}

std::unique_ptr<ScanStage> make_scan_stage(const LaneOptions& options, RowSink& sink, int jobs) {
  if (jobs <= 1) return std::make_unique<SequentialScan>(options, sink);
  return std::make_unique<ParallelScan>(options, sink, jobs);
}

}  // namespace mailsift
