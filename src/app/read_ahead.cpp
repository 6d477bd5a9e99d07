#include "app/read_ahead.h"

#include <algorithm>
#include <cstring>

namespace mailsift {

ReadAhead::ReadAhead(platform::FileSystem& fs, std::unique_ptr<platform::ReadRing> ring,
                     std::size_t slots, std::size_t batch, bool every_file)
    : fs_(fs),
      ring_(std::move(ring)),
      cold_(every_file),
      every_file_(every_file),
      batch_size_(std::clamp<std::size_t>(batch, 1, std::max<std::size_t>(slots, 1))) {
  if (ring_ == nullptr || slots == 0) {
    ring_.reset();
    return;
  }
  buffers_ = make_page_aligned(slots * kBytes);
  batch_.reserve(batch_size_);
  slots_.resize(slots);
  free_.reserve(slots);
  for (std::size_t i = slots; i-- > 0;) {
    slots_[i].bytes = buffers_.get() + i * kBytes;
    free_.push_back(static_cast<std::uint32_t>(i));
  }
}

ReadAhead::~ReadAhead() {
  if (ring_ == nullptr) return;
  flush();
  const std::lock_guard<std::mutex> reap(reap_);
  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (in_flight_ == 0) return;
    }
    std::uint64_t tag = 0;
    std::int64_t result = 0;
    // A ring that fails here cannot be waited for; closing it ends its reads.
    if (!ring_->complete(true, tag, result)) return;
    const std::lock_guard<std::mutex> lock(mutex_);
    finish(tag, result);
  }
}

void ReadAhead::flush() {
  if (batch_.empty()) return;
  const std::size_t taken = ring_->flush();
  const std::lock_guard<std::mutex> lock(mutex_);
  for (std::size_t i = 0; i < batch_.size(); ++i) {
    Slot& s = slots_[batch_[i]];
    s.queued = false;
    if (i < taken) continue;
    // Never handed over: its file is where it was, for a plain read.
    ring_failed_ = true;
    s.in_flight = false;
    --in_flight_;
    s.result = kNotRead;
    if (s.file == kNone) give_back(batch_[i]);
  }
  batch_.clear();
}

void ReadAhead::ready(int file) {
  if (!batch_.empty() && queued(file)) flush();
}

bool ReadAhead::queued(int file) {
  const std::lock_guard<std::mutex> lock(mutex_);
  const Slot* s = slot_of(file);
  return s != nullptr && s->queued;
}

std::size_t ReadAhead::held() const { return held_.load(std::memory_order_relaxed); }

ReadAhead::Slot* ReadAhead::slot_of(int file) {
  if (file < 0 || static_cast<std::size_t>(file) >= by_file_.size()) return nullptr;
  const std::int32_t index = by_file_[static_cast<std::size_t>(file)];
  return index < 0 ? nullptr : &slots_[static_cast<std::size_t>(index)];
}

void ReadAhead::give_back(std::size_t index) {
  free_.push_back(static_cast<std::uint32_t>(index));
  held_.fetch_sub(1, std::memory_order_relaxed);
}

void ReadAhead::let_go(std::size_t index) {
  Slot& s = slots_[index];
  if (s.file != kNone) by_file_[static_cast<std::size_t>(s.file)] = -1;
  s.file = kNone;
  if (!s.in_flight && !s.lost) give_back(index);
}

void ReadAhead::finish(std::uint64_t tag, std::int64_t result) {
  if (tag >= slots_.size()) return;
  Slot& s = slots_[tag];
  if (!s.in_flight) return;
  s.in_flight = false;
  --in_flight_;
  s.result = result;
  // A file closed before its read finished: the buffer is free only now.
  if (s.file == kNone && !s.lost) give_back(static_cast<std::size_t>(tag));
}

void ReadAhead::take_completions() {
  std::uint64_t tag = 0;
  std::int64_t result = 0;
  while (ring_->complete(false, tag, result)) {
    const std::lock_guard<std::mutex> lock(mutex_);
    finish(tag, result);
  }
}

void ReadAhead::start(int file, std::int64_t size) {
  if (ring_ == nullptr || ring_failed_ || file < 0 || size <= 0) return;
  if (!every_file_ && ++since_probe_ >= kProbeEvery) {
    since_probe_ = 0;
    cold_ = !ring_->cached(file);
  }
  if (!cold_) return;
  // Reads that finished with nobody waiting give their buffers back here.
  if (reap_.try_lock()) {
    take_completions();
    reap_.unlock();
  }
  std::uint32_t index = 0;
  {
    const std::lock_guard<std::mutex> lock(mutex_);
    if (free_.empty()) return;
    index = free_.back();
    free_.pop_back();
    held_.fetch_add(1, std::memory_order_relaxed);
    // The file's before its read is submitted: a completion taken by another
    // thread at once must not free the buffer.
    Slot& s = slots_[index];
    s.in_flight = true;
    s.queued = true;
    s.taken = 0;
    s.result = 0;
    s.file = file;
    if (static_cast<std::size_t>(file) >= by_file_.size()) {
      by_file_.resize(
          std::max<std::size_t>(static_cast<std::size_t>(file) + 1, by_file_.size() * 2), -1);
    }
    by_file_[static_cast<std::size_t>(file)] = static_cast<std::int32_t>(index);
    ++in_flight_;
  }
  // Nobody has read the file yet: the read runs from its start. Submitted
  // without the lock: the readers of other files need not wait for it.
  Slot& s = slots_[index];
  const std::size_t wanted = static_cast<std::size_t>(std::min<std::int64_t>(size, kBytes));
  if (ring_->submit(file, s.bytes, wanted, index)) {
    batch_.push_back(index);
    if (batch_.size() >= batch_size_) flush();
    return;
  }
  const std::lock_guard<std::mutex> lock(mutex_);
  s.in_flight = false;
  s.queued = false;
  --in_flight_;
  let_go(index);
}

bool ReadAhead::wait_for(std::size_t index) {
  const std::lock_guard<std::mutex> reap(reap_);
  for (;;) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      if (!slots_[index].in_flight) return true;
    }
    std::uint64_t tag = 0;
    std::int64_t result = 0;
    if (!ring_->complete(true, tag, result)) {
      const std::lock_guard<std::mutex> lock(mutex_);
      slots_[index].lost = true;
      return false;
    }
    const std::lock_guard<std::mutex> lock(mutex_);
    finish(tag, result);
    // The other reads that finished meanwhile, while the lock is held anyway.
  }
}

std::ptrdiff_t ReadAhead::read_file(int file, char* buffer, std::size_t n) {
  // No file holds a buffer (the files are cached, or there is no ring): no
  // lock. A file started was started before it was handed to this thread,
  // so its buffer shows in the count.
  if (held_.load(std::memory_order_relaxed) == 0) return fs_.read_file(file, buffer, n);
  std::size_t index = 0;
  bool waiting = false;
  {
    std::unique_lock<std::mutex> lock(mutex_);
    Slot* s = slot_of(file);
    if (s == nullptr) {
      // Not read ahead, or all its bytes taken: the file itself, without the
      // lock, which other threads' reads must not wait for.
      lock.unlock();
      return fs_.read_file(file, buffer, n);
    }
    index = static_cast<std::size_t>(s - slots_.data());
    waiting = s->in_flight;
  }
  if (waiting && !wait_for(index)) {
    const std::lock_guard<std::mutex> lock(mutex_);
    let_go(index);
    return -1;
  }
  // The slot is this reader's: only it lets go of it.
  Slot& s = slots_[index];
  if (s.result == kNotRead) {
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      let_go(index);
    }
    return fs_.read_file(file, buffer, n);
  }
  if (s.result < 0) {
    const std::int64_t result = s.result;
    {
      const std::lock_guard<std::mutex> lock(mutex_);
      let_go(index);
    }
    // A read the system would not finish without blocking left the file
    // where it was: it is read the plain way.
    if (platform::read_would_block(result)) return fs_.read_file(file, buffer, n);
    platform::note_read_error(result);
    return -1;
  }
  const std::size_t ready = static_cast<std::size_t>(s.result) - s.taken;
  const std::size_t count = std::min(n, ready);
  std::memcpy(buffer, s.bytes + s.taken, count);
  s.taken += count;
  if (s.taken == static_cast<std::size_t>(s.result)) {
    // All taken: the file goes on from where the read left it.
    const std::lock_guard<std::mutex> lock(mutex_);
    let_go(index);
  }
  return static_cast<std::ptrdiff_t>(count);
}

void ReadAhead::close_file(int file) {
  if (held_.load(std::memory_order_relaxed) != 0) {
    std::unique_lock<std::mutex> lock(mutex_);
    Slot* s = slot_of(file);
    if (s != nullptr && s->queued) {
      // A read still queued goes to the system first: it names the file by
      // its handle, which may be another file's once this one is closed.
      // Only the walking thread holds such a file (the others get theirs
      // ready).
      lock.unlock();
      flush();
      lock.lock();
    }
    if (s != nullptr) let_go(static_cast<std::size_t>(s - slots_.data()));
  }
  fs_.close_file(file);
}

}  // namespace mailsift
