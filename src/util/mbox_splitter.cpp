#include "util/mbox_splitter.h"

#include <algorithm>
#include <bit>
#include <cassert>
#include <cstring>
#include <utility>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MAILSIFT_MBOX_SSE2 1
#endif

namespace mailsift {
namespace {

constexpr std::size_t kNone = static_cast<std::size_t>(-1);
constexpr char kFrom[] = "From ";
constexpr std::size_t kFromLen = 5;

// The position, at or after `from`, of the next LF in `data` that is followed
// by "From " with all six bytes inside the n bytes; kNone if there is none.
// Sixteen positions at a step are tested for an LF followed by "F"; only the
// rare position that passes is compared in full. Nearly every block of
// sixty-four positions has none, and costs one branch.
std::size_t find_separator_lf(const char* data, std::size_t n, std::size_t from) {
  if (n < kFromLen + 1) return kNone;
  const std::size_t last = n - (kFromLen + 1);  // the last position whose six bytes fit
  std::size_t p = from;
#ifdef MAILSIFT_MBOX_SSE2
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i f = _mm_set1_epi8('F');
  auto load = [data](std::size_t at) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
  };
  auto hits = [&](std::size_t at) {
    return _mm_and_si128(_mm_cmpeq_epi8(load(at), lf), _mm_cmpeq_epi8(load(at + 1), f));
  };
  auto check = [&](std::size_t at, __m128i found) -> std::size_t {
    for (unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(found)); mask != 0;
         mask &= mask - 1) {
      const std::size_t lf_at = at + static_cast<std::size_t>(std::countr_zero(mask));
      if (std::memcmp(data + lf_at + 2, kFrom + 1, kFromLen - 1) == 0) return lf_at;
    }
    return kNone;
  };
  // A position tested at a step needs its six bytes, up to p + 15 + 5.
  for (; p + 64 + kFromLen <= n; p += 64) {
    const __m128i h0 = hits(p), h1 = hits(p + 16), h2 = hits(p + 32), h3 = hits(p + 48);
    if (_mm_movemask_epi8(_mm_or_si128(_mm_or_si128(h0, h1), _mm_or_si128(h2, h3))) == 0) {
      continue;
    }
    for (const auto& [at, found] : {std::pair{p, h0}, std::pair{p + 16, h1},
                                    std::pair{p + 32, h2}, std::pair{p + 48, h3}}) {
      if (const std::size_t lf_at = check(at, found); lf_at != kNone) return lf_at;
    }
  }
  for (; p + 16 + kFromLen <= n; p += 16) {
    if (const std::size_t lf_at = check(p, hits(p)); lf_at != kNone) return lf_at;
  }
#endif
  while (p <= last) {
    const void* hit = std::memchr(data + p, '\n', last + 1 - p);
    if (hit == nullptr) return kNone;
    p = static_cast<std::size_t>(static_cast<const char*>(hit) - data);
    if (std::memcmp(data + p + 1, kFrom, kFromLen) == 0) return p;
    ++p;
  }
  return kNone;
}

}  // namespace

bool begins_mbox(std::string_view head) { return head.starts_with(kFrom); }

void MboxSplitter::reset() {
  carry_[0] = '\n';
  carry_len_ = 1;
  joint_len_ = joint_next_ = 0;
  window_ = {};
  window_offset_ = fed_ = 0;
  scan_ = 0;
  phase_ = Phase::kDone;
  open_ = started_ = false;
  open_separator_ = open_start_ = 0;
}

void MboxSplitter::fold_window() {
  const std::size_t take = std::min(window_.size(), kCarry);
  const std::size_t keep = std::min(carry_len_, kCarry - take);
  std::memmove(carry_, carry_ + carry_len_ - keep, keep);
  if (take > 0) std::memcpy(carry_ + keep, window_.data() + window_.size() - take, take);
  carry_len_ = keep + take;
  window_ = {};
}

void MboxSplitter::feed(std::string_view window) {
  assert(phase_ == Phase::kDone && "every message of the last window must be taken first");
  window_ = window;
  window_offset_ = fed_;
  fed_ += window.size();
  scan_ = 0;
  if (open_ && !started_) look_for_start(0);
  // A separator whose LF lies in the carried bytes and whose "From " ends in
  // this window: the carried LFs among the last five bytes, each with the
  // six bytes it needs now in hand.
  const std::size_t head = std::min(window.size(), kFromLen);
  std::memcpy(joint_, carry_, carry_len_);
  if (head > 0) std::memcpy(joint_ + carry_len_, window.data(), head);
  joint_len_ = carry_len_ + head;
  joint_next_ = carry_len_ > kFromLen ? carry_len_ - kFromLen : 0;
  phase_ = Phase::kCarry;
}

bool MboxSplitter::next(MboxMessage& message) {
  while (phase_ == Phase::kCarry) {
    const std::size_t j = joint_next_++;
    if (j >= carry_len_) {
      phase_ = Phase::kWindow;
      break;
    }
    if (joint_[j] != '\n' || j + 1 + kFromLen > joint_len_ ||
        std::memcmp(joint_ + j + 1, kFrom, kFromLen) != 0) {
      continue;
    }
    // The carry's first byte is the LF put before the file only while the
    // file is shorter than the carry; that separator (offset 0) ends nothing.
    const std::uint64_t at = window_offset_ - (carry_len_ - j - 1);
    if (separator_at(at, j > 0 ? joint_[j - 1] : '\n', message)) return true;
  }
  while (phase_ == Phase::kWindow) {
    const std::size_t p = find_separator_lf(window_.data(), window_.size(), scan_);
    if (p == kNone) {
      // Done with this window: keep what the next one needs before the
      // caller reuses its buffer.
      fold_window();
      phase_ = Phase::kDone;
      break;
    }
    scan_ = p + 1;
    const char before = p > 0 ? window_[p - 1] : carry_[carry_len_ - 1];
    if (separator_at(window_offset_ + p + 1, before, message)) return true;
  }
  return false;
}

bool MboxSplitter::separator_at(std::uint64_t at, char before, MboxMessage& message) {
  const bool ends = open_;
  if (ends) {
    // The open message's separator line ended with an LF at or before the
    // one in front of this separator, and that LF has been looked for.
    assert(started_);
    message = {open_separator_, open_start_, before == '\n' ? at - 1 : at};
  }
  open_ = true;
  started_ = false;
  open_separator_ = at;
  look_for_start(static_cast<std::size_t>(at + kFromLen - window_offset_));
  return ends;
}

void MboxSplitter::look_for_start(std::size_t from) {
  if (from >= window_.size()) return;
  const void* lf = std::memchr(window_.data() + from, '\n', window_.size() - from);
  if (lf == nullptr) return;
  started_ = true;
  open_start_ = window_offset_ + static_cast<std::size_t>(static_cast<const char*>(lf) -
                                                          window_.data()) + 1;
}

bool MboxSplitter::finish(MboxMessage& message) {
  assert(phase_ == Phase::kDone && "every message of the last window must be taken first");
  if (!open_) return false;
  open_ = false;
  // A separator line without an LF runs to the end: its message is empty.
  const std::uint64_t start = started_ ? open_start_ : fed_;
  // A last line that is an LF alone is dropped. The carry holds at least the
  // separator's "From ", so both bytes are there.
  const bool empty_last_line =
      carry_[carry_len_ - 1] == '\n' && carry_[carry_len_ - 2] == '\n';
  message = {open_separator_, start, empty_last_line ? fed_ - 1 : fed_};
  return true;
}

std::uint64_t MboxSplitter::open_settled_end() const {
  // A separator not yet seen whole starts at fed_ - 4 or later, and the
  // message ends at most one byte before it.
  const std::uint64_t undecided = fed_ > kFromLen ? fed_ - kFromLen : 0;
  return std::max(open_start_, undecided);
}

}  // namespace mailsift
