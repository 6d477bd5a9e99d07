// Compiler-specific annotations, empty where the compiler lacks them.
#pragma once

// printf-style argument checking: the format is argument `fmt_index`, the
// values start at `first_arg` (counting `this` as 1 for members).
#if defined(__GNUC__) || defined(__clang__)
#define MAILSIFT_PRINTF_FORMAT(fmt_index, first_arg) \
  __attribute__((format(printf, fmt_index, first_arg)))
#else
#define MAILSIFT_PRINTF_FORMAT(fmt_index, first_arg)
#endif
