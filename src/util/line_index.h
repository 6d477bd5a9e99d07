// The classes of the bytes in the text reader's buffer (util/byte_classes.h),
// built a stretch at a time as questions reach further, and the questions the
// reader asks of them: where the next line feed or mark byte stands, the last
// line feed before a place, whether a span holds a mark or an odd byte. Each
// answer takes a few operations per 64 bytes.
#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "util/byte_classes.h"

namespace mailsift {

class LineIndex {
 public:
  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  // Room for a buffer of `size` bytes.
  explicit LineIndex(std::size_t size)
      : blocks_(std::make_unique<BlockClasses[]>(size / kClassBlock + 1)) {}

  // Starts over for the `end` bytes at `data`, classified with `set`.
  void reset(const char* data, std::size_t end, const ByteClassSet& set) {
    data_ = data;
    end_ = end;
    set_ = set;
    indexed_ = 0;
  }

  // The first line feed (mark byte, odd byte) at or after `from` and before
  // `stop` (stop at most the end), else `stop`.
  std::size_t next_lf(std::size_t from, std::size_t stop) { return next_in<&BlockClasses::lf>(from, stop); }
  std::size_t next_mark(std::size_t from, std::size_t stop) {
    return next_in<&BlockClasses::mark>(from, stop);
  }
  std::size_t next_odd(std::size_t from, std::size_t stop) {
    return next_in<&BlockClasses::odd>(from, stop);
  }

  // The last line feed in [from, stop), else kNone.
  std::size_t last_lf(std::size_t from, std::size_t stop) {
    if (from >= stop) return kNone;
    cover(stop);
    std::size_t block = (stop - 1) / kClassBlock;
    const std::size_t first = from / kClassBlock;
    // Bits up to and including stop - 1.
    std::uint64_t bits = blocks_[block].lf & (~std::uint64_t{0} >> (kClassBlock - 1 - (stop - 1) % kClassBlock));
    for (;;) {
      if (block == first) bits &= ~std::uint64_t{0} << (from % kClassBlock);
      if (bits != 0) return block * kClassBlock + kClassBlock - 1 - static_cast<std::size_t>(std::countl_zero(bits));
      if (block == first) return kNone;
      bits = blocks_[--block].lf;
    }
  }

  // Calls visit(i) for every mark (odd) byte i in [from, stop), in order.
  template <typename Visit>
  void visit_marks(std::size_t from, std::size_t stop, Visit visit) {
    visit_in<&BlockClasses::mark>(from, stop, visit);
  }
  template <typename Visit>
  void visit_odd(std::size_t from, std::size_t stop, Visit visit) {
    visit_in<&BlockClasses::odd>(from, stop, visit);
  }

 private:
  // Classifies ahead until the bytes before `stop` (at most the end) are.
  void cover(std::size_t stop) {
    if (stop > indexed_) classify_to(stop);
  }
  void classify_to(std::size_t stop);

  template <std::uint64_t BlockClasses::*Field>
  std::size_t next_in(std::size_t from, std::size_t stop) {
    if (from >= stop) return stop;
    cover(from + 1);
    std::size_t block = from / kClassBlock;
    std::uint64_t bits = blocks_[block].*Field >> (from % kClassBlock);
    if (bits != 0) return std::min(from + static_cast<std::size_t>(std::countr_zero(bits)), stop);
    for (;;) {
      const std::size_t start = ++block * kClassBlock;
      if (start >= stop) return stop;
      cover(start + 1);
      bits = blocks_[block].*Field;
      if (bits != 0) return std::min(start + static_cast<std::size_t>(std::countr_zero(bits)), stop);
    }
  }

  template <std::uint64_t BlockClasses::*Field, typename Visit>
  void visit_in(std::size_t from, std::size_t stop, Visit& visit) {
    if (from >= stop) return;
    cover(stop);
    const std::size_t last = (stop - 1) / kClassBlock;
    for (std::size_t block = from / kClassBlock; block <= last; ++block) {
      std::uint64_t bits = blocks_[block].*Field;
      if (block == from / kClassBlock) bits &= ~std::uint64_t{0} << (from % kClassBlock);
      if (block == last) bits &= ~std::uint64_t{0} >> (kClassBlock - 1 - (stop - 1) % kClassBlock);
      for (; bits != 0; bits &= bits - 1) {
        visit(block * kClassBlock + static_cast<std::size_t>(std::countr_zero(bits)));
      }
    }
  }

  std::unique_ptr<BlockClasses[]> blocks_;
  const char* data_ = nullptr;
  std::size_t end_ = 0;
  std::size_t indexed_ = 0;  // the bytes before it are classified
  ByteClassSet set_;
};

}  // namespace mailsift
