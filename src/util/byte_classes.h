// Classifying bytes 64 at a time: for each block of 64 bytes, one bit per
// byte for each of three classes (line feeds, "mark" bytes and "odd" bytes,
// the last two named by the caller). The text reader builds this index once
// per buffer, so that finding line ends, skipping lines and asking what a
// line holds become a few operations on 64-bit words instead of a search.
//
// The vector paths live in byte_classes.cpp: SSE2 (every x86-64 processor,
// so the build's baseline), AVX2 (chosen at run time when the processor and
// the system support it) and a plain loop for other processors. All give the
// same bits; tests compare each against the plain loop.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mailsift {

// The bytes of the two caller-named classes, each a set of two bytes (name a
// byte twice for a class of one). LF stands for no byte: a class of LF alone
// is empty.
struct ByteClassSet {
  char mark[2] = {'\n', '\n'};
  char odd[2] = {'\n', '\n'};
};

// The classes of one block: bit i stands for byte i of the block.
struct BlockClasses {
  std::uint64_t lf = 0;
  std::uint64_t mark = 0;
  std::uint64_t odd = 0;
};

inline constexpr std::size_t kClassBlock = 64;

// Classifies `blocks` whole blocks of 64 bytes starting at `data`.
using ClassifyBlocks = void (*)(const char* data, std::size_t blocks, const ByteClassSet& set,
                                BlockClasses* out);

enum class VectorPath { kPlain, kSse2, kAvx2 };

// Whether this build and this processor can run `path`.
bool vector_path_available(VectorPath path);

// The path in use: the widest available, unless use_vector_path chose one.
VectorPath vector_path();
ClassifyBlocks block_classifier();

// Makes every later classification use `path` (tests and measurements);
// false, and nothing changes, when it is not available.
bool use_vector_path(VectorPath path);

// Classifies `size` bytes (fewer than 64 allowed) into one block; the bits of
// bytes past `size` are 0.
void classify_tail(const char* data, std::size_t size, const ByteClassSet& set, BlockClasses& out);

}  // namespace mailsift
