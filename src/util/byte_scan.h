// Finding every place of a few bytes in a text in one pass, and the length
// of a run of ASCII, sixteen bytes at a step where the processor allows it.
#pragma once

#include <bit>
#include <cstddef>
#include <string_view>

#if defined(__SSE2__) || defined(_M_X64)
#include <emmintrin.h>
#define MAILSIFT_BYTE_SCAN_SSE2 1
#endif

namespace mailsift {

// Calls visit(i) for each position i of `text`, in order, whose byte is `a`,
// `b` or `c`. Never reads outside `text`.
template <typename Visit>
void visit_bytes_of3(std::string_view text, char a, char b, char c, Visit visit) {
  const char* data = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#ifdef MAILSIFT_BYTE_SCAN_SSE2
  const __m128i va = _mm_set1_epi8(a);
  const __m128i vb = _mm_set1_epi8(b);
  const __m128i vc = _mm_set1_epi8(c);
  auto hits_at = [&](std::size_t at) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    return static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(chunk, va), _mm_cmpeq_epi8(chunk, vb)), _mm_cmpeq_epi8(chunk, vc))));
  };
  if (n >= 16) {
    for (; i + 16 <= n; i += 16) {
      for (unsigned mask = hits_at(i); mask != 0; mask &= mask - 1) {
        visit(i + static_cast<std::size_t>(std::countr_zero(mask)));
      }
    }
    // The last bytes: one more step over the final sixteen, without the ones
    // already seen.
    if (i < n) {
      for (unsigned mask = hits_at(n - 16) >> (16 - (n - i)); mask != 0; mask &= mask - 1) {
        visit(i + static_cast<std::size_t>(std::countr_zero(mask)));
      }
    }
    return;
  }
#endif
  for (; i < n; ++i) {
    const char x = data[i];
    if (x == a || x == b || x == c) visit(i);
  }
}

// The number of bytes at the start of `text` below 0x80 (plain ASCII) and
// other than `stop` (pass a byte of 0x80 or above to stop at none).
inline std::size_t ascii_prefix(std::string_view text, char stop = '\x80') {
  const char* data = text.data();
  const std::size_t n = text.size();
  std::size_t i = 0;
#ifdef MAILSIFT_BYTE_SCAN_SSE2
  const __m128i stops = _mm_set1_epi8(stop);
  for (; i + 16 <= n; i += 16) {
    const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
    const auto marked =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_or_si128(chunk, _mm_cmpeq_epi8(chunk, stops))));
    if (marked != 0) return i + static_cast<std::size_t>(std::countr_zero(marked));
  }
#endif
  while (i < n && static_cast<unsigned char>(data[i]) < 0x80 && data[i] != stop) ++i;
  return i;
}

}  // namespace mailsift
