#include "util/byte_classes.h"

#include <atomic>
#include <cstring>

#if defined(__x86_64__) || defined(_M_X64)
#include <immintrin.h>
#define MAILSIFT_X86_64 1
#endif

namespace mailsift {

namespace {

// The reference path: one byte at a time. Non-x86 builds run it.
void classify_plain(const char* data, std::size_t blocks, const ByteClassSet& set,
                    BlockClasses* out) {
  for (std::size_t b = 0; b < blocks; ++b) {
    BlockClasses c;
    const char* p = data + b * kClassBlock;
    for (std::size_t i = 0; i < kClassBlock; ++i) {
      const std::uint64_t bit = std::uint64_t{1} << i;
      const char x = p[i];
      if (x == '\n') c.lf |= bit;
      if (x == set.mark[0] || x == set.mark[1]) c.mark |= bit;
      if (x == set.odd[0] || x == set.odd[1]) c.odd |= bit;
    }
    // LF in a class stands for no byte.
    c.mark &= ~c.lf;
    c.odd &= ~c.lf;
    out[b] = c;
  }
}

#ifdef MAILSIFT_X86_64

// SSE2: four 16-byte loads per block; each class is a byte compare per
// needle, the compares of a class OR-ed, and the sign bits gathered with
// movemask (bit i of the mask is byte i of the load, as the plain loop
// numbers them). The four 16-bit masks are joined low to high.
inline std::uint64_t join16(int m0, int m1, int m2, int m3) {
  return static_cast<std::uint64_t>(static_cast<std::uint16_t>(m0)) |
         static_cast<std::uint64_t>(static_cast<std::uint16_t>(m1)) << 16 |
         static_cast<std::uint64_t>(static_cast<std::uint16_t>(m2)) << 32 |
         static_cast<std::uint64_t>(static_cast<std::uint16_t>(m3)) << 48;
}

void classify_sse2(const char* data, std::size_t blocks, const ByteClassSet& set,
                   BlockClasses* out) {
  const __m128i lf = _mm_set1_epi8('\n');
  const __m128i m0 = _mm_set1_epi8(set.mark[0]);
  const __m128i m1 = _mm_set1_epi8(set.mark[1]);
  const __m128i o0 = _mm_set1_epi8(set.odd[0]);
  const __m128i o1 = _mm_set1_epi8(set.odd[1]);
  for (std::size_t b = 0; b < blocks; ++b) {
    const char* p = data + b * kClassBlock;
    __m128i v[4];
    int lf_mask[4], mark_mask[4], odd_mask[4];
    for (int k = 0; k < 4; ++k) {
      v[k] = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 16 * k));
      lf_mask[k] = _mm_movemask_epi8(_mm_cmpeq_epi8(v[k], lf));
      mark_mask[k] = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v[k], m0), _mm_cmpeq_epi8(v[k], m1)));
      odd_mask[k] = _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(v[k], o0), _mm_cmpeq_epi8(v[k], o1)));
    }
    const std::uint64_t lf_bits = join16(lf_mask[0], lf_mask[1], lf_mask[2], lf_mask[3]);
    out[b].lf = lf_bits;
    out[b].mark = join16(mark_mask[0], mark_mask[1], mark_mask[2], mark_mask[3]) & ~lf_bits;
    out[b].odd = join16(odd_mask[0], odd_mask[1], odd_mask[2], odd_mask[3]) & ~lf_bits;
  }
}

// AVX2: the same compares on two 32-byte halves, so a block takes half the
// instructions. Compiled for AVX2 by this attribute alone (no other code of
// the program is), and called only after the run-time check below. Written
// without helpers or lambdas, which would not share the attribute.
__attribute__((target("avx2"))) void classify_avx2(const char* data, std::size_t blocks,
                                                   const ByteClassSet& set, BlockClasses* out) {
  const __m256i lf = _mm256_set1_epi8('\n');
  const __m256i m0 = _mm256_set1_epi8(set.mark[0]);
  const __m256i m1 = _mm256_set1_epi8(set.mark[1]);
  const __m256i o0 = _mm256_set1_epi8(set.odd[0]);
  const __m256i o1 = _mm256_set1_epi8(set.odd[1]);
  for (std::size_t b = 0; b < blocks; ++b) {
    const char* p = data + b * kClassBlock;
    const __m256i lo = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
    const __m256i hi = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p + 32));
    const std::uint32_t lf_lo = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(lo, lf)));
    const std::uint32_t lf_hi = static_cast<std::uint32_t>(_mm256_movemask_epi8(_mm256_cmpeq_epi8(hi, lf)));
    const std::uint32_t mark_lo = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(lo, m0), _mm256_cmpeq_epi8(lo, m1))));
    const std::uint32_t mark_hi = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(hi, m0), _mm256_cmpeq_epi8(hi, m1))));
    const std::uint32_t odd_lo = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(lo, o0), _mm256_cmpeq_epi8(lo, o1))));
    const std::uint32_t odd_hi = static_cast<std::uint32_t>(_mm256_movemask_epi8(
        _mm256_or_si256(_mm256_cmpeq_epi8(hi, o0), _mm256_cmpeq_epi8(hi, o1))));
    const std::uint64_t lf_bits = lf_lo | static_cast<std::uint64_t>(lf_hi) << 32;
    out[b].lf = lf_bits;
    out[b].mark = (mark_lo | static_cast<std::uint64_t>(mark_hi) << 32) & ~lf_bits;
    out[b].odd = (odd_lo | static_cast<std::uint64_t>(odd_hi) << 32) & ~lf_bits;
  }
}

// __builtin_cpu_supports reads cpuid, and for AVX also whether the system
// saves the wide registers (XGETBV); it works in the MinGW build too, which
// has no ifunc.
bool processor_has_avx2() {
  __builtin_cpu_init();
  return __builtin_cpu_supports("avx2") != 0;
}

#endif

ClassifyBlocks classifier_of(VectorPath path) {
  switch (path) {
#ifdef MAILSIFT_X86_64
    case VectorPath::kSse2:
      return classify_sse2;
    case VectorPath::kAvx2:
      return processor_has_avx2() ? classify_avx2 : nullptr;
#endif
    case VectorPath::kPlain:
      return classify_plain;
    default:
      return nullptr;
  }
}

VectorPath widest_path() {
  if (classifier_of(VectorPath::kAvx2) != nullptr) return VectorPath::kAvx2;
  if (classifier_of(VectorPath::kSse2) != nullptr) return VectorPath::kSse2;
  return VectorPath::kPlain;
}

struct Choice {
  std::atomic<VectorPath> path;
  std::atomic<ClassifyBlocks> classify;
  Choice() : path(widest_path()), classify(classifier_of(path.load())) {}
};

Choice& choice() {
  static Choice chosen;
  return chosen;
}

}  // namespace

bool vector_path_available(VectorPath path) {
  return classifier_of(path) != nullptr;
}

VectorPath vector_path() {
  return choice().path.load(std::memory_order_relaxed);
}

ClassifyBlocks block_classifier() {
  return choice().classify.load(std::memory_order_relaxed);
}

bool use_vector_path(VectorPath path) {
  const ClassifyBlocks classify = classifier_of(path);
  if (classify == nullptr) return false;
  choice().path.store(path, std::memory_order_relaxed);
  choice().classify.store(classify, std::memory_order_relaxed);
  return true;
}

void classify_tail(const char* data, std::size_t size, const ByteClassSet& set, BlockClasses& out) {
  // The bytes are copied into a whole block so that no path reads past them;
  // the bits of the padding are cleared afterwards.
  char block[kClassBlock] = {};
  std::memcpy(block, data, size < kClassBlock ? size : kClassBlock);
  block_classifier()(block, 1, set, &out);
  if (size < kClassBlock) {
    const std::uint64_t valid = (std::uint64_t{1} << size) - 1;
    out.lf &= valid;
    out.mark &= valid;
    out.odd &= valid;
  }
}

}  // namespace mailsift
