// The classes of the bytes in the text reader's buffer (util/byte_classes.h),
// and the questions the reader asks of them: where the next line feed or
// mark byte stands, the last line feed before a place, whether a span holds a
// mark or an odd byte. Each answer takes a few operations per 64 bytes.
//
// Bytes are classified a stretch at a time where the reader works, not all
// at once: across a stretch without marks (most of a message's body) the
// next mark is found with memchr, a faster pass that keeps no classes, and
// classifying starts again at the line that holds it. The bytes passed over
// are never asked about again: every question is about bytes at or after the
// reader's position, which only moves forward (a line pushed back is read
// again from its start, which lies past any stretch passed over before it
// was read).
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

  // Room for a buffer of `size` bytes, and a block past its last, which
  // mark_bits may read (and mask off).
  explicit LineIndex(std::size_t size)
      : blocks_(std::make_unique<BlockClasses[]>(size / kClassBlock + 2)) {}

  // Starts over for the `end` bytes at `data`, classified with `set`.
  void reset(const char* data, std::size_t end, const ByteClassSet& set) {
    data_ = data;
    end_ = end;
    set_ = set;
    indexed_ = 0;
  }

  // The first line feed (odd byte) at or after `from` and before `stop`
  // (stop at most the end), else `stop`.
  std::size_t next_lf(std::size_t from, std::size_t stop) { return next_in<&BlockClasses::lf>(from, stop); }
  std::size_t next_odd(std::size_t from, std::size_t stop) {
    return next_in<&BlockClasses::odd>(from, stop);
  }

  // The first mark byte in [from, stop), else `stop`. Past the classified
  // bytes it is searched for, and classifying goes on from its line.
  std::size_t next_mark(std::size_t from, std::size_t stop) {
    if (from < indexed_) {
      const std::size_t at = next_in<&BlockClasses::mark>(from, std::min(stop, indexed_));
      if (at < std::min(stop, indexed_)) return at;
      from = indexed_;
    }
    return from < stop ? search_mark(from, stop) : stop;
  }

  // The last line feed in [from, stop), else kNone.
  std::size_t last_lf(std::size_t from, std::size_t stop) {
    if (from >= stop) return kNone;
    if (stop > indexed_) {
      // Past the classified bytes (the end of the buffer, after its last
      // mark): a search back, without classifying.
      const std::size_t low = std::max(from, indexed_);
      const std::size_t at = search_lf_back(low, stop);
      if (at != kNone || low == from) return at;
      stop = low;
    }
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

  // Whether [from, stop) holds a mark (bit 1) and an odd byte (bit 2); the
  // bytes must have been asked about before. Most lines lie in one block.
  unsigned span_classes(std::size_t from, std::size_t stop) const {
    return (any_in<&BlockClasses::mark>(from, stop) ? 1u : 0u) |
           (any_in<&BlockClasses::odd>(from, stop) ? 2u : 0u);
  }
  bool any_odd(std::size_t from, std::size_t stop) const {
    return any_in<&BlockClasses::odd>(from, stop);
  }

  // The line around the mark at `mark`: where it begins (after the last LF
  // in [from, mark), else at `from`) and its LF (the first at or after
  // `mark` and before `stop`, else `stop`). Most lines lie in the mark's
  // block, whose classes answer both.
  void line_around(std::size_t from, std::size_t mark, std::size_t stop, std::size_t& begin,
                   std::size_t& lf) {
    const std::size_t block = mark / kClassBlock;
    const std::size_t shift = mark % kClassBlock;
    const std::uint64_t lfs = blocks_[block].lf;
    const std::uint64_t before = lfs & ((std::uint64_t{1} << shift) - 1);
    const std::size_t last = before == 0 ? kNone
                                         : block * kClassBlock + kClassBlock - 1 -
                                               static_cast<std::size_t>(std::countl_zero(before));
    if (last != kNone && last >= from) {
      begin = last + 1;
    } else {
      const std::size_t found = last_lf(from, std::max(from, block * kClassBlock));
      begin = found == kNone ? from : found + 1;
    }
    const std::uint64_t after = lfs >> shift;
    lf = after != 0 ? std::min(mark + static_cast<std::size_t>(std::countr_zero(after)), stop)
                    : next_lf(std::min(stop, (block + 1) * kClassBlock), stop);
  }

  // Bit i set when the byte at `at` + i is a mark, for i < n (n at most 64);
  // the bytes before at + n must have been asked about before.
  std::uint64_t mark_bits(std::size_t at, std::size_t n) const {
    const std::size_t block = at / kClassBlock;
    const std::size_t shift = at % kClassBlock;
    std::uint64_t bits = blocks_[block].mark >> shift;
    // The next block's bits past the end are stale or zero: masked below.
    if (shift != 0) bits |= blocks_[block + 1].mark << (kClassBlock - shift);
    return n >= kClassBlock ? bits : bits & ((std::uint64_t{1} << n) - 1);
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
  template <std::uint64_t BlockClasses::*Field>
  bool any_in(std::size_t from, std::size_t stop) const {
    if (from >= stop) return false;
    const std::size_t first = from / kClassBlock;
    const std::size_t last = (stop - 1) / kClassBlock;
    const std::uint64_t low = ~std::uint64_t{0} << (from % kClassBlock);
    const std::uint64_t high = ~std::uint64_t{0} >> (kClassBlock - 1 - (stop - 1) % kClassBlock);
    if (first == last) return (blocks_[first].*Field & low & high) != 0;
    if ((blocks_[first].*Field & low) != 0) return true;
    for (std::size_t block = first + 1; block < last; ++block) {
      if (blocks_[block].*Field != 0) return true;
    }
    return (blocks_[last].*Field & high) != 0;
  }

  // Makes the bytes of [from, stop) classified (stop at most the end). Bytes
  // before `from` that are not yet classified are passed over for good.
  void cover(std::size_t from, std::size_t stop) {
    if (stop <= indexed_) return;
    if (from >= indexed_ + kClassBlock) indexed_ = from - from % kClassBlock;
    classify_to(stop);
  }
  void classify_to(std::size_t stop);
  // next_mark past the classified bytes.
  std::size_t search_mark(std::size_t from, std::size_t stop);
  std::size_t search_lf_back(std::size_t from, std::size_t stop) const;

  template <std::uint64_t BlockClasses::*Field>
  std::size_t next_in(std::size_t from, std::size_t stop) {
    if (from >= stop) return stop;
    cover(from, from + 1);
    std::size_t block = from / kClassBlock;
    std::uint64_t bits = blocks_[block].*Field >> (from % kClassBlock);
    if (bits != 0) return std::min(from + static_cast<std::size_t>(std::countr_zero(bits)), stop);
    for (;;) {
      const std::size_t start = ++block * kClassBlock;
      if (start >= stop) return stop;
      cover(start, start + 1);
      bits = blocks_[block].*Field;
      if (bits != 0) return std::min(start + static_cast<std::size_t>(std::countr_zero(bits)), stop);
    }
  }

  template <std::uint64_t BlockClasses::*Field, typename Visit>
  void visit_in(std::size_t from, std::size_t stop, Visit& visit) {
    if (from >= stop) return;
    cover(from, stop);
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
  // The classified bytes end here; a multiple of the block size until the
  // last block of the buffer is classified.
  std::size_t indexed_ = 0;
  ByteClassSet set_;
};

}  // namespace mailsift
