#include "app/read_ahead_queue.h"

#include <algorithm>
#include <utility>

namespace mailsift {

namespace {

constexpr std::size_t kOneThreadDepth = 32;
constexpr std::size_t kThreadsDepth = 8;

}  // namespace

std::size_t ReadAheadQueue::depth_for(int jobs, std::size_t handle_limit) {
  return std::min(jobs <= 1 ? kOneThreadDepth : kThreadsDepth, handle_limit / 8);
}

ReadAheadQueue::ReadAheadQueue(ReadAhead& ahead, ScanStage& stage, std::size_t depth)
    : ahead_(ahead), stage_(stage), held_(ahead.active() ? depth : 0) {}

ReadAheadQueue::~ReadAheadQueue() { close_held(); }

void ReadAheadQueue::close_held() {
  for (; count_ > 0; --count_) {
    held_[first_].file.close();
    first_ = (first_ + 1) % held_.size();
  }
}

Stop ReadAheadQueue::hand_on() {
  SelectedFile& oldest = held_[first_];
  ahead_.ready(oldest.file.handle());
  first_ = (first_ + 1) % held_.size();
  --count_;
  return stage_.accept(oldest);
}

Stop ReadAheadQueue::accept(SelectedFile& file) {
  if (held_.empty()) return stage_.accept(file);
  // Started before the oldest is scanned: one more read in flight meanwhile.
  ahead_.start(file.file.handle(), file.size);
  if (count_ == held_.size()) {
    if (const Stop stop = hand_on(); stop != Stop::kNone) {
      // The file's handle is the queue's from the call on.
      file.file.close();
      return stop;
    }
  }
  SelectedFile& s = held_[(first_ + count_) % held_.size()];
  // The strings are swapped, not copied: the source refills its own.
  std::swap(s.path, file.path);
  std::swap(s.error_text, file.error_text);
  s.sequence = file.sequence;
  s.size = file.size;
  s.modified = file.modified;
  s.write_time = file.write_time;
  s.file = std::move(file.file);
  s.is_directory = file.is_directory;
  s.open_failed = file.open_failed;
  s.unreadable_directory = file.unreadable_directory;
  ++count_;
  return Stop::kNone;
}

Stop ReadAheadQueue::finish(Stop source_stop) {
  Stop stop = source_stop;
  if (stop == Stop::kNone || stop == Stop::kReadError) {
    while (count_ > 0) {
      // As the walk does before each file.
      if (platform::interrupted()) {
        stop = Stop::kInterrupted;
        break;
      }
      if (const Stop handed = hand_on(); handed != Stop::kNone) {
        stop = handed;
        break;
      }
    }
  }
  close_held();
  return stage_.finish(stop);
}

}  // namespace mailsift
