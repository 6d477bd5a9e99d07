// The ordered parallel scan: the walk hands files over on the calling thread,
// worker threads scan them, and the calling thread writes each file's texts
// in walk order, so the output is the one-thread output byte for byte.
//
// Files wait in a ring of slots. A slot holds an open file until it is
// scanned, then its row, progress line and warning until their turn comes.
// The ring bounds the files in flight (and so the open handles, within a
// share of the process's limit); a byte budget keeps workers from scanning
// further ahead while large rows wait.
// When the ring is full and the oldest file is not scanned yet, the writing
// thread scans queued files itself rather than sleep (small ones only, so
// that no large file holds back rows already scanned); sleeping workers are
// woken a few files at a time, since every wake is a system call on the
// walking thread.
// A message of an mbox archive is a unit like a file: the walking thread
// reads the archive into windows and queues each message lying whole in
// them, which a worker scans where it lies; a window is read into again once
// every message in it is scanned. Messages come much faster than files, so
// they are handed over several at a time, and scanned rows are written a run
// at a time: the lock is taken once for each, not for every message. A message too large for the windows waits
// until everything before it is written, then the walking thread reads and
// scans it itself.
// Before the writing thread sleeps waiting for the oldest file, or scans a
// long one itself, it writes the oldest file's progress line and flushes the
// console, so that the line shows while that file is read; its row follows
// when it is done, also after an interrupt.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "app/scan_lane.h"
#include "app/scan_pipeline.h"
#include "platform/platform.h"
#include "report/row_sink.h"
#include "util/selected_file.h"

namespace mailsift {

class ParallelScan : public ScanStage {
 public:
  // `jobs` (at least 2) threads scan: jobs - 1 started here, and the calling
  // thread whenever it would otherwise wait.
  ParallelScan(const LaneOptions& options, RowSink& sink, int jobs);
  ~ParallelScan() override;
  ParallelScan(const ParallelScan&) = delete;
  ParallelScan& operator=(const ParallelScan&) = delete;

  Stop accept(SelectedFile& file) override;

  // Once the source has stopped with `walk_stop`: writes every file handed
  // over that is not written yet, in order. After an interrupt or a failed
  // write the files scanned ahead are dropped instead, so the report ends
  // with the row of the last progress line written.
  Stop finish(Stop walk_stop) override;

  // Files in flight: the open handles and the rows waiting for their turn.
  static constexpr std::size_t kSlotsPerJob = 64;
  static constexpr std::size_t kMaxSlots = 256;
  static std::size_t ring_size(int jobs);
  static constexpr std::size_t kWindowBytes = kInFlightBytes;
  // Queued files that wake a sleeping worker.
  static constexpr std::uint64_t kWakeBatch = 4;
  // Messages of an archive handed over together (one lock for all).
  static constexpr std::uint64_t kMessageBatch = 16;
  // The largest file the writing thread scans itself.
  static constexpr std::int64_t kOwnScanBytes = 1 << 20;

 private:
  enum class SlotState { kFree, kQueued, kScanning, kDone };
  struct alignas(64) Slot {
    SlotState state = SlotState::kFree;
    // A file, with the bytes read of it already, or (unit.number > 0) a
    // message of the archive `file`, with the file's facts but its size.
    SelectedFile file;
    std::string head;
    bool head_whole = false;
    ArchiveUnit unit;
    MessageTexts texts;
    std::string progress;  // built when queued; the writing thread's only
    bool progress_shown = false;  // written ahead of the row (writing thread)
    bool read_failed = false;
    std::exception_ptr failure;  // memory exhaustion in a worker
  };

  Stop take_message(const SelectedFile& archive, ArchiveUnit& unit) override;
  void hand_over() override;
  bool free_window(Stop& stop) override;
  Stop write_all() override;
  ScanLane& writing_lane() override { return own_lane_; }

  // Writes rows until the ring has room for one more unit.
  Stop make_room();
  // Writes the scanned slots at the front of the ring, with two looks under
  // the lock for all of them; false when the oldest is not scanned yet. After
  // an interrupt as write_oldest.
  bool write_done(Stop& stop);
  void work();
  bool can_take() const;
  // Scans the next queued file in `lane`; called and returns with the lock
  // held, which it lets go while scanning.
  void scan_next(std::unique_lock<std::mutex>& lock, ScanLane& lane, InterruptCheck should_stop);
  // Writes the oldest slot once it is done (scanning queued files meanwhile
  // when `wait`); false when there is nothing to write yet and `wait` is
  // false. After an interrupt it sets `stop` and writes only a file whose
  // progress line is out already.
  bool write_oldest(bool wait, Stop& stop);
  // Writes the progress line of the oldest slot `s` unless written already,
  // then flushes the console; lets go of the lock meanwhile.
  void show_progress(Slot& s, std::unique_lock<std::mutex>& lock);
  void stop_workers();
  // The ring's size is a power of two: a mask, not a division, finds a slot.
  Slot& slot(std::uint64_t sequence) { return slots_[sequence & (slots_.size() - 1)]; }

  LaneOptions options_;
  std::vector<Slot> slots_;
  std::vector<std::thread> workers_;

  std::mutex mutex_;
  std::condition_variable work_ready_;  // a slot was queued, or stopping
  std::condition_variable slot_done_;   // a slot was scanned
  std::uint64_t next_to_write_ = 0;     // oldest slot in flight
  std::uint64_t next_to_queue_ = 0;     // where the walk puts the next file
  std::uint64_t next_to_scan_ = 0;      // the next queued slot a worker takes
  // Messages filled in after next_to_queue_, not yet handed over (the
  // writing thread's own).
  std::uint64_t staged_ = 0;
  std::size_t waiting_bytes_ = 0;       // texts of done slots not yet written
  bool stopping_ = false;
  bool writer_waiting_ = false;         // the writer waits for the oldest file
  // stopping_, for scans in progress: read before every line, so it keeps a
  // cache line of its own, away from the fields every handover writes.
  struct alignas(64) OwnLine {
    std::atomic<bool> flag{false};
  };
  OwnLine stop_;
  ScanLane own_lane_;  // the writer's, for the files it scans itself
  // The texts being written, swapped with a slot's (the writing thread only).
  MessageTexts texts_;
};

// The number of scanning threads for a "jobs" setting: 0 means the online
// cores, capped at 64.
int resolve_jobs(std::int32_t setting);

}  // namespace mailsift
