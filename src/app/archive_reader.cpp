#include "app/archive_reader.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace mailsift {

bool UnitPieces::next(std::string_view& piece) {
  if (at_ < end_ && window_ != nullptr) {
    // A unit reaching past a window was queued after the next one was
    // linked to it.
    while (window_->end() <= at_) window_ = window_->next;
    const std::uint64_t stop = std::min(end_, window_->end());
    piece = std::string_view(window_->bytes.get() + (at_ - window_->offset),
                             static_cast<std::size_t>(stop - at_));
    at_ = stop;
    return true;
  }
  if (failed_) {
    failed_ = false;
    fail(failure_);
  }
  return false;
}

void release_unit(ArchiveUnit& unit) {
  ArchiveWindow* w = std::exchange(unit.first, nullptr);
  while (w != nullptr) {
    // The link of the unit's last window may change once it is let go (and
    // is not the unit's to read).
    ArchiveWindow* next = w->end() < unit.place.end ? w->next : nullptr;
    w->holders.fetch_sub(1, std::memory_order_release);
    w = next;
  }
}

ArchiveReader::ArchiveReader(std::size_t window_size, std::size_t window_count)
    : window_size_(std::max<std::size_t>(window_size, 8)),
      window_count_(std::max<std::size_t>(window_count, 2)) {}

ArchiveReader::~ArchiveReader() { close(); }

bool ArchiveReader::may_be_archive(const SelectedFile& file) {
  return file.file.is_open() && !file.is_directory && !file.unreadable_directory && file.size >= 5;
}

bool ArchiveReader::open(SelectedFile& file) {
  if (!head_) head_ = make_page_aligned(kHeadBytes);
  head_size_ = 0;
  head_whole_ = false;
  // A read that fails here fails again in the file's own scan, which says so.
  const std::ptrdiff_t got = file.file.read(head_.get(), kHeadBytes);
  if (got <= 0) return false;
  head_size_ = static_cast<std::size_t>(got);
  head_whole_ = head_size_ < kHeadBytes && static_cast<std::int64_t>(head_size_) >= file.size;
  if (!begins_mbox(std::string_view(head_.get(), head_size_))) return false;
  close();
  file_ = std::move(file.file);
  file_size_ = file.size;
  head_pending_ = true;
  read_ = 0;
  at_end_ = head_whole_;
  failed_ = false;
  error_text_.clear();
  splitter_.reset();
  splitting_ = exhausted_ = false;
  number_ = 0;
  return true;
}

ArchiveWindow* ArchiveReader::take_window() {
  ArchiveWindow* w = nullptr;
  for (const std::unique_ptr<ArchiveWindow>& made : windows_) {
    if (made->holders.load(std::memory_order_acquire) == 0) {
      w = made.get();
      break;
    }
  }
  if (w == nullptr) {
    if (windows_.size() >= window_count_) return nullptr;
    windows_.push_back(std::make_unique<ArchiveWindow>());
    w = windows_.back().get();
    w->bytes = make_page_aligned(window_size_);
  }
  w->size = 0;
  w->offset = read_;
  w->next = nullptr;
  w->holders.store(1, std::memory_order_relaxed);
  return w;
}

void ArchiveReader::let_go(ArchiveWindow* window) {
  window->holders.fetch_sub(1, std::memory_order_release);
}

void ArchiveReader::fill(ArchiveWindow& w) {
  while (w.size < window_size_ && !at_end_ && !failed_) {
    const std::size_t asked = window_size_ - w.size;
    const std::ptrdiff_t got = file_.read(w.bytes.get() + w.size, asked);
    if (got < 0) {
      failed_ = true;
      error_text_ = platform::last_error_text();
      return;
    }
    if (got == 0) {
      at_end_ = true;
      return;
    }
    w.size += static_cast<std::size_t>(got);
    read_ += static_cast<std::uint64_t>(got);
    // A short read once the size the walk saw is in: the end, without
    // asking the system again.
    if (static_cast<std::size_t>(got) < asked &&
        read_ >= static_cast<std::uint64_t>(std::max<std::int64_t>(file_size_, 0))) {
      at_end_ = true;
    }
  }
}

ArchiveReader::Read ArchiveReader::read_window() {
  if (!head_pending_ && (at_end_ || failed_)) return Read::kNothing;
  ArchiveWindow* w = take_window();
  if (w == nullptr) return Read::kNoWindow;
  if (head_pending_) {
    head_pending_ = false;
    std::memcpy(w->bytes.get(), head_.get(), head_size_);
    w->size = head_size_;
    read_ = head_size_;
  }
  fill(*w);
  if (w->size == 0) {
    let_go(w);
    return Read::kNothing;
  }
  if (!held_.empty()) held_.back()->next = w;
  held_.push_back(w);
  splitter_.feed(std::string_view(w->bytes.get(), w->size));
  splitting_ = true;
  return Read::kFed;
}

void ArchiveReader::let_go_before(std::uint64_t offset) {
  std::size_t n = 0;
  while (n < held_.size() && held_[n]->end() <= offset) let_go(held_[n++]);
  held_.erase(held_.begin(), held_.begin() + static_cast<std::ptrdiff_t>(n));
}

std::uint64_t ArchiveReader::keep_from() const {
  if (!splitter_.in_message()) return read_;
  return splitter_.open_started() ? splitter_.open_start() : splitter_.open_separator();
}

void ArchiveReader::make_unit(const MboxMessage& message, ArchiveUnit& unit, bool read_failed) {
  unit.number = ++number_;
  unit.place = message;
  unit.first = nullptr;
  unit.read_failed = read_failed;
  if (message.start >= message.end) return;
  for (ArchiveWindow* w : held_) {
    if (w->end() <= message.start) continue;
    if (w->offset >= message.end) break;
    if (unit.first == nullptr) unit.first = w;
    w->holders.fetch_add(1, std::memory_order_relaxed);
  }
}

MboxMessage ArchiveReader::cut_message() const {
  const std::uint64_t start = splitter_.open_started() ? splitter_.open_start() : read_;
  return {splitter_.open_separator(), start, read_};
}

ArchiveReader::Next ArchiveReader::next(ArchiveUnit& unit) {
  for (;;) {
    if (!file_.is_open()) return Next::kEnd;
    if (exhausted_) {
      end_archive();
      return Next::kEnd;
    }
    if (splitting_) {
      MboxMessage m;
      if (splitter_.next(m)) {
        make_unit(m, unit, false);
        return Next::kMessage;
      }
      splitting_ = false;
      let_go_before(keep_from());
    }
    const Read r = read_window();
    if (r == Read::kFed) continue;
    if (r == Read::kNoWindow) {
      return held_.size() >= window_count_ ? Next::kLongMessage : Next::kNoWindow;
    }
    // The archive ends here, or cannot be read on: its last message.
    MboxMessage m;
    bool last = false;
    if (failed_) {
      last = splitter_.in_message();
      if (last) m = cut_message();
    } else {
      last = splitter_.finish(m);
    }
    if (last) make_unit(m, unit, failed_);
    end_archive();
    return last ? Next::kMessage : Next::kEnd;
  }
}

MessagePieces& ArchiveReader::long_message(ArchiveUnit& unit) {
  unit = ArchiveUnit{};
  unit.number = ++number_;
  unit.place.separator = splitter_.open_separator();
  long_unit_ = &unit;
  long_started_ = splitter_.open_started();
  long_at_ = long_started_ ? splitter_.open_start() : read_;
  unit.place.start = unit.place.end = long_at_;
  long_ended_ = false;
  long_.restart();
  return long_;
}

void ArchiveReader::end_long(const MboxMessage& message) {
  if (!long_started_) {
    long_started_ = true;
    long_at_ = message.start;
  }
  long_unit_->place.start = message.start;
  long_unit_->place.end = message.end;
  long_ended_ = true;
}

bool ArchiveReader::long_piece(std::string_view& piece) {
  if (long_unit_ == nullptr) return false;
  for (;;) {
    if (long_started_) {
      const std::uint64_t limit =
          long_ended_ ? long_unit_->place.end : splitter_.open_settled_end();
      for (ArchiveWindow* w : held_) {
        if (long_at_ >= limit) break;
        if (w->end() <= long_at_) continue;
        const std::uint64_t stop = std::min(limit, w->end());
        piece = std::string_view(w->bytes.get() + (long_at_ - w->offset),
                                 static_cast<std::size_t>(stop - long_at_));
        long_at_ = stop;
        return true;
      }
    }
    if (long_ended_) {
      if (long_unit_->read_failed) long_.fail_with(error_text_);
      long_unit_ = nullptr;
      return false;
    }
    // Every byte known to be the message's is delivered: the windows before
    // them are free for the next read.
    let_go_before(long_started_ ? long_at_ : read_);
    const Read r = read_window();
    if (r == Read::kFed) {
      MboxMessage m;
      if (splitter_.next(m)) {
        end_long(m);  // the messages after it are next()'s
      } else {
        splitting_ = false;
        if (!long_started_ && splitter_.open_started()) {
          long_started_ = true;
          long_at_ = long_unit_->place.start = splitter_.open_start();
        }
      }
      continue;
    }
    if (r == Read::kNoWindow) {
      // Units still hold windows, which the stages release before taking a
      // long message: a fault of the caller, reported as a read error.
      failed_ = true;
      error_text_ = "no archive window free";
    }
    MboxMessage m;
    if (failed_) {
      m = cut_message();
      long_unit_->read_failed = true;
    } else if (!splitter_.finish(m)) {
      m = cut_message();
    }
    end_long(m);
    exhausted_ = true;
  }
}

void ArchiveReader::end_archive() {
  for (ArchiveWindow* w : held_) let_go(w);
  held_.clear();
  file_.close();
  splitting_ = exhausted_ = head_pending_ = false;
  long_unit_ = nullptr;
}

void ArchiveReader::close() { end_archive(); }

std::size_t ArchiveReader::windows_free() const {
  std::size_t n = 0;
  for (const std::unique_ptr<ArchiveWindow>& w : windows_) {
    if (w->holders.load(std::memory_order_acquire) == 0) ++n;
  }
  return n;
}

}  // namespace mailsift
