#include "util/line_index.h"

#include <algorithm>

namespace mailsift {

void LineIndex::classify_to(std::size_t stop) {
  // At least this many bytes at a time: one call per stretch, and the index
  // stays close behind the bytes the reader works on.
  constexpr std::size_t kStretch = 2048;
  const std::size_t target = std::min(end_, std::max(stop, indexed_ + kStretch));
  if (target <= indexed_) return;
  // indexed_ is a multiple of the block size until the end is classified.
  std::size_t blocks = (target - indexed_ + kClassBlock - 1) / kClassBlock;
  const bool tail = indexed_ + blocks * kClassBlock > end_;
  if (tail) blocks = (end_ - indexed_) / kClassBlock;
  block_classifier()(data_ + indexed_, blocks, set_, blocks_.get() + indexed_ / kClassBlock);
  indexed_ += blocks * kClassBlock;
  if (tail && indexed_ < end_) {
    classify_tail(data_ + indexed_, end_ - indexed_, set_, blocks_[indexed_ / kClassBlock]);
    indexed_ = end_;
  }
}

}  // namespace mailsift
