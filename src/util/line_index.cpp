#include "util/line_index.h"

#include <cstring>
#include <string_view>

namespace mailsift {

void LineIndex::classify_to(std::size_t stop) {
  // At least this many bytes at a time: one call per stretch, and the index
  // stays close behind the bytes the reader works on.
  constexpr std::size_t kStretch = 512;
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

std::size_t LineIndex::search_mark(std::size_t from, std::size_t stop) {
  // memchr for each mark byte, the second only before the first's place.
  std::size_t at = stop;
  for (int i = 0; i < 2; ++i) {
    const char c = set_.mark[i];
    if (c == '\n' || (i == 1 && c == set_.mark[0])) continue;
    const void* hit = std::memchr(data_ + from, c, at - from);
    if (hit != nullptr) at = static_cast<std::size_t>(static_cast<const char*>(hit) - data_);
  }
  if (at == stop) return stop;
  // Classifying goes on from the line that holds the mark.
  const std::size_t lf = search_lf_back(from, at);
  cover(lf == kNone ? from : lf, at + 1);
  return at;
}

std::size_t LineIndex::search_lf_back(std::size_t from, std::size_t stop) const {
  const std::size_t at = std::string_view(data_ + from, stop - from).rfind('\n');
  return at == std::string_view::npos ? kNone : from + at;
}

}  // namespace mailsift
