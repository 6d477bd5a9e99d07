// The connection of a file source to the sink: each selected file is
// scanned and its texts written in report order, on the calling thread or
// by the ordered parallel scan. With mbox reading on, a file that is an mbox
// archive gives one unit per message instead, each scanned and written like
// a file of its own, in the archive's order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/platform.h"
#include "app/archive_reader.h"
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
  // The bytes a stage holds ahead of the writing: the texts scanned and
  // waiting for their turn, and the windows an archive is read into.
  static constexpr std::size_t kInFlightBytes = 8u << 20;
  static constexpr std::size_t kArchiveWindowBytes = 1u << 20;

  // Once the source has stopped with `source_stop`: writes what is still
  // waiting; returns how the run goes on.
  virtual Stop finish(Stop source_stop) = 0;
  // Some message could not be read completely.
  virtual bool read_failed() const { return read_failed_; }

 protected:
  ScanStage(const LaneOptions& options, RowSink& sink)
      : sink_(sink),
        archive_(kArchiveWindowBytes, kInFlightBytes / kArchiveWindowBytes),
        mbox_(options.mbox) {}

  // With mbox reading on, reads the first bytes of `file`. When it is an
  // archive, hands each of its messages on in order and returns true with
  // `stop` how that ended; else false, and head() holds the bytes read.
  bool take_archive(SelectedFile& file, Stop& stop);
  FileHead head() const { return mbox_ ? archive_.head() : FileHead{}; }

  // A message of the archive, lying whole in its windows: scanned now or
  // queued. The unit is the stage's, to release once scanned.
  virtual Stop take_message(const SelectedFile& archive, ArchiveUnit& unit) = 0;
  // Hands over the messages taken and held back to be handed over together.
  virtual void hand_over() {}
  // Every window is held by units in flight: writes (and scans) until one is
  // let go; false when none is in flight.
  virtual bool free_window(Stop& stop) = 0;
  // Writes everything handed over so far, before a long message is read.
  virtual Stop write_all() = 0;
  // The lane of the thread that writes, for a message too large for the
  // windows.
  virtual ScanLane& writing_lane() = 0;
  // Reads, scans and writes the archive's message too large for its
  // windows, on this thread; its progress line comes with its row, once its
  // size is known. After an interrupt it has neither.
  Stop write_long_message(const SelectedFile& archive);

  RowSink& sink_;
  ArchiveReader archive_;
  bool mbox_;
  bool read_failed_ = false;
  std::string progress_;

 private:
  Stop read_archive(const SelectedFile& archive);
};

// One thread: the file's progress line is written, the file scanned and
// its row written before the source goes on.
class SequentialScan : public ScanStage {
 public:
  SequentialScan(const LaneOptions& options, RowSink& sink)
      : ScanStage(options, sink), lane_(options) {}

  Stop accept(SelectedFile& file) override;
  // Everything is written already; a source's read error does not stop it.
  Stop finish(Stop source_stop) override {
    return source_stop == Stop::kReadError ? Stop::kNone : source_stop;
  }

 private:
  Stop take_message(const SelectedFile& archive, ArchiveUnit& unit) override;
  bool free_window(Stop&) override { return false; }  // no unit outlives its scan
  Stop write_all() override { return Stop::kNone; }
  ScanLane& writing_lane() override { return lane_; }

  ScanLane lane_;
};

// One thread for jobs = 1 (no thread is started), else the parallel scan.
std::unique_ptr<ScanStage> make_scan_stage(const LaneOptions& options,
                                           RowSink& sink, int jobs);

}  // namespace mailsift
