#include "app/parallel_scan.h"

#include "app/read_ahead_queue.h"

#include <algorithm>
#include <atomic>
#include <bit>
#include <utility>


namespace mailsift {

namespace {

constexpr int kMaxJobs = 64;

// A worker's scan stops at an interrupt or when its pipeline stops.
thread_local const std::atomic<bool>* worker_stop = nullptr;

bool worker_should_stop() {
  return platform::interrupted() ||
         (worker_stop != nullptr && worker_stop->load(std::memory_order_relaxed));
}

}  // namespace

std::size_t ParallelScan::ring_size(int jobs) {
  // Every file in flight holds a handle: with those the read-ahead queue
  // holds, at most a quarter of what the process may hold, leaving the rest
  // to the walk's directories.
  const std::size_t limit = platform::open_handle_limit();
  const std::size_t quarter = limit / 4 - std::min(limit / 4, ReadAheadQueue::depth_for(jobs, limit));
  const std::size_t by_handles = std::max<std::size_t>(quarter, 2);
  return std::bit_floor(
      std::min({static_cast<std::size_t>(std::max(jobs, 2)) * kSlotsPerJob, kMaxSlots, by_handles}));
}

int resolve_jobs(std::int32_t setting) {
  if (setting > 0) return std::min<std::int32_t>(setting, kMaxJobs);
  const unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int>(std::min<unsigned>(cores, kMaxJobs));
}

ParallelScan::ParallelScan(const LaneOptions& options, RowSink& sink, int jobs)
    : ScanStage(options, sink), options_(options), own_lane_(options) {
  // The walking thread is one of the `jobs` that scan: it scans whenever it
  // would otherwise wait for a worker.
  const std::size_t workers = static_cast<std::size_t>(std::max(jobs - 1, 1));
  slots_.resize(ring_size(jobs));
  workers_.reserve(workers);
  for (std::size_t i = 0; i < workers; ++i) workers_.emplace_back([this] { work(); });
}

ParallelScan::~ParallelScan() {
  stop_workers();
  // Files handed over but never scanned are still open, and messages never
  // scanned still hold their windows.
  for (Slot& s : slots_) {
    s.file.file.close();
    release_unit(s.unit);
  }
}

void ParallelScan::stop_workers() {
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (stopping_) return;
    stopping_ = true;
    stop_.flag.store(true, std::memory_order_relaxed);
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

// Whether a worker (or the writer) may take the next queued file: the oldest
// file in flight may always be scanned, so that writing can go on; the others
// wait while scanned texts exceed the byte budget. Called under the lock.
bool ParallelScan::can_take() const {
  return next_to_scan_ < next_to_queue_ &&
         (waiting_bytes_ <= kWindowBytes || next_to_scan_ == next_to_write_);
}

void ParallelScan::scan_next(std::unique_lock<std::mutex>& lock, ScanLane& lane,
                             InterruptCheck should_stop) {
  const std::uint64_t sequence = next_to_scan_++;
  Slot& s = slot(sequence);
  s.state = SlotState::kScanning;
  lock.unlock();
  try {
    const Stop scanned =
        s.unit.number > 0
            ? lane.run_message(s.file, s.unit, s.file.error_text, should_stop)
            : lane.run(s.file, should_stop, FileHead{s.head, s.head_whole});
    s.read_failed = scanned == Stop::kReadError;
    s.texts.swap(lane.texts);
  } catch (...) {
    // Memory exhaustion: the writing thread ends the run with it when the
    // file's turn comes.
    s.failure = std::current_exception();
    s.file.file.close();
  }
  // The message's bytes are no longer needed: its windows may be read into
  // again.
  release_unit(s.unit);
  lock.lock();
  s.state = SlotState::kDone;
  waiting_bytes_ += s.texts.bytes();
  // The writer only ever waits for the oldest file.
  if (writer_waiting_ && sequence == next_to_write_) slot_done_.notify_one();
}

void ParallelScan::work() {
  worker_stop = &stop_.flag;
  ScanLane lane(options_);
  std::unique_lock<std::mutex> lock(mutex_);
  for (;;) {
    work_ready_.wait(lock, [this] { return stopping_ || can_take(); });
    if (stopping_) return;
    scan_next(lock, lane, &worker_should_stop);
  }
}

void ParallelScan::show_progress(Slot& s, std::unique_lock<std::mutex>& lock) {
  // Only this thread touches a slot's progress line, and only it frees slots.
  lock.unlock();
  if (!s.progress_shown) sink_.write_progress(s.progress);
  s.progress_shown = true;
  sink_.flush_progress();
  lock.lock();
}

bool ParallelScan::write_oldest(bool wait, Stop& stop) {
  std::unique_lock<std::mutex> lock(mutex_);
  if (next_to_write_ == next_to_queue_) return false;
  Slot& s = slot(next_to_write_);
  while (s.state != SlotState::kDone) {
    if (!wait) return false;
    if (can_take()) {
      // Rather than sleep, the writer scans the next queued file itself,
      // unless it is large: scanning that here would hold back the rows of
      // the files before it, which a worker may finish meanwhile.
      const std::int64_t size = slot(next_to_scan_).file.size;
      if (size <= kOwnScanBytes) {
        if (size > kLongScanBytes) show_progress(s, lock);
        scan_next(lock, own_lane_, &platform::interrupted);
        continue;
      }
      work_ready_.notify_one();
    }
    if (!s.progress_shown) {
      show_progress(s, lock);
      continue;  // the lock was let go: look again
    }
    writer_waiting_ = true;
    slot_done_.wait(lock);
    writer_waiting_ = false;
  }
  // After an interrupt only the file whose progress line is out gets its row,
  // as far as its scan went; the files scanned ahead are dropped.
  const bool interrupted = platform::interrupted();
  if (interrupted && !s.progress_shown) {
    stop = Stop::kInterrupted;
    return true;
  }
  if (s.failure) std::rethrow_exception(std::exchange(s.failure, nullptr));
  texts_.swap(s.texts);
  std::swap(progress_, s.progress);
  const bool shown = std::exchange(s.progress_shown, false);
  const bool is_directory = s.file.is_directory;
  if (s.read_failed) read_failed_ = true;
  s.state = SlotState::kFree;
  const bool over_budget = waiting_bytes_ > kWindowBytes;
  waiting_bytes_ -= texts_.bytes();
  ++next_to_write_;
  lock.unlock();
  // Workers wait for written texts only while the budget is exceeded.
  if (over_budget) work_ready_.notify_all();
  if (!shown) sink_.write_progress(progress_);
  stop = sink_.write_row(texts_, is_directory);
  if (stop == Stop::kNone && interrupted) stop = Stop::kInterrupted;
  return true;
}

bool ParallelScan::write_done(Stop& stop) {
  std::uint64_t end = next_to_write_;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    while (end < next_to_queue_ && slot(end).state == SlotState::kDone) end++;
  }
  if (end == next_to_write_) return false;
  // Scanned slots are this thread's alone until it frees them.
  const bool interrupted = platform::interrupted();
  std::uint64_t written = next_to_write_;
  std::size_t bytes = 0;
  std::exception_ptr failure;
  for (; written < end && stop == Stop::kNone; ++written) {
    Slot& s = slot(written);
    if (interrupted && !s.progress_shown) {
      stop = Stop::kInterrupted;
      break;
    }
    if (s.failure) {
      failure = std::exchange(s.failure, nullptr);
      break;
    }
    if (!s.progress_shown) sink_.write_progress(s.progress);
    s.progress_shown = false;
    if (s.read_failed) read_failed_ = true;
    bytes += s.texts.bytes();
    stop = sink_.write_row(s.texts, s.file.is_directory);
    if (stop == Stop::kNone && interrupted) stop = Stop::kInterrupted;
  }
  bool over_budget = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (std::uint64_t sequence = next_to_write_; sequence < written; ++sequence) {
      slot(sequence).state = SlotState::kFree;
    }
    over_budget = waiting_bytes_ > kWindowBytes;
    waiting_bytes_ -= bytes;
    next_to_write_ = written;
  }
  // Workers wait for written texts only while the budget is exceeded.
  if (over_budget) work_ready_.notify_all();
  if (failure) std::rethrow_exception(failure);
  return true;
}

Stop ParallelScan::make_room() {
  Stop stop = Stop::kNone;
  // Write whatever is ready, then make room for one more unit.
  while (write_done(stop)) {
    if (stop != Stop::kNone) return stop;
  }
  while (next_to_queue_ - next_to_write_ >= slots_.size()) {
    write_oldest(true, stop);
    if (stop != Stop::kNone) return stop;
  }
  return Stop::kNone;
}

Stop ParallelScan::accept(SelectedFile& file) {
  // The file handed over is the scan's from the call on: closed here when the
  // call ends without queueing it (a failed write, memory exhaustion).
  struct CloseUnqueued {
    platform::File& file;
    ~CloseUnqueued() { file.close(); }
  } const unqueued{file.file};
  Stop stop = make_room();
  if (stop != Stop::kNone) return stop;
  if (take_archive(file, stop)) return stop;
  bool wake = false;
  {
    // The slot is free, so no other thread looks at it; only this one ever
    // reads its progress line.
    Slot& s = slot(next_to_queue_);
    MessageFormatter::progress(s.progress, file);
    s.progress_shown = false;
    const FileHead first = head();
    s.head.assign(first.bytes);
    s.head_whole = first.whole;
    s.unit = ArchiveUnit{};
    const std::lock_guard<std::mutex> lock(mutex_);
    std::swap(s.file.path, file.path);
    std::swap(s.file.error_text, file.error_text);
    s.file.sequence = file.sequence;
    s.file.size = file.size;
    s.file.modified = file.modified;
    s.file.write_time = file.write_time;
    s.file.file = std::move(file.file);
    s.file.open_failed = file.open_failed;
    s.file.unreadable_directory = file.unreadable_directory;
    s.file.is_directory = file.is_directory;
    s.read_failed = false;
    s.state = SlotState::kQueued;
    ++next_to_queue_;
    // Waking a sleeping worker costs a system call on this thread: it is
    // woken for a few files at a time (meanwhile the writer scans itself).
    wake = next_to_queue_ - next_to_scan_ >= kWakeBatch;
  }
  if (wake) work_ready_.notify_one();
  return Stop::kNone;
}

Stop ParallelScan::take_message(const SelectedFile& archive, ArchiveUnit& unit) {
  if (next_to_queue_ + staged_ - next_to_write_ >= slots_.size()) {
    hand_over();
    if (const Stop stop = make_room(); stop != Stop::kNone) {
      release_unit(unit);
      return stop;
    }
  }
  // A slot past those handed over: no other thread looks at it yet.
  Slot& s = slot(next_to_queue_ + staged_);
  MessageFormatter::progress(s.progress, archive.path, unit.number, unit.size());
  s.progress_shown = false;
  s.head.clear();
  s.head_whole = false;
  s.file.path.assign(archive.path);
  s.file.error_text.assign(unit.read_failed ? archive_.error_text() : std::string());
  s.file.sequence = archive.sequence;
  s.file.size = unit.size();
  s.file.modified = archive.modified;
  s.file.write_time = archive.write_time;
  s.file.file.close();
  s.file.open_failed = s.file.unreadable_directory = s.file.is_directory = false;
  s.unit = std::exchange(unit, ArchiveUnit{});
  s.read_failed = false;
  if (++staged_ < kMessageBatch) return Stop::kNone;
  hand_over();
  Stop stop = Stop::kNone;
  while (write_done(stop)) {
    if (stop != Stop::kNone) return stop;
  }
  return Stop::kNone;
}

void ParallelScan::hand_over() {
  if (staged_ == 0) return;
  bool wake = false;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    for (std::uint64_t i = 0; i < staged_; ++i) slot(next_to_queue_ + i).state = SlotState::kQueued;
    next_to_queue_ += staged_;
    staged_ = 0;
    wake = next_to_queue_ - next_to_scan_ >= kWakeBatch;
  }
  if (wake) work_ready_.notify_one();
}

bool ParallelScan::free_window(Stop& stop) {
  // Units let go of their windows as their scans end; the oldest is written
  // (or scanned here) meanwhile.
  work_ready_.notify_all();
  return write_oldest(true, stop);
}

Stop ParallelScan::write_all() {
  work_ready_.notify_all();
  Stop stop = Stop::kNone;
  while (next_to_write_ < next_to_queue_) {
    write_oldest(true, stop);
    if (stop != Stop::kNone) return stop;
  }
  return Stop::kNone;
}

Stop ParallelScan::finish(Stop walk_stop) {
  if (walk_stop != Stop::kNone && walk_stop != Stop::kReadError) {
    stop_workers();
    return walk_stop;
  }
  work_ready_.notify_all();
  Stop stop = Stop::kNone;
  while (next_to_write_ < next_to_queue_) {
    write_oldest(true, stop);
    if (stop != Stop::kNone) {
      stop_workers();
      return stop;
    }
  }
  return Stop::kNone;
}

}  // namespace mailsift
