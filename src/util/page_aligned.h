// Byte blocks that start on a page boundary. The system's copy from its page
// cache into a buffer at another offset within a cache line runs several
// times slower on some processors, so every buffer a file is read into is
// one of these.
#pragma once

#include <cstddef>
#include <memory>
#include <new>

namespace mailsift {

struct PageAlignedDelete {
  static constexpr std::align_val_t kAlignment{4096};
  void operator()(char* bytes) const { ::operator delete[](bytes, kAlignment); }
};

using PageAlignedBytes = std::unique_ptr<char[], PageAlignedDelete>;

// `n` bytes, not filled in: only the pages written become memory of the
// process.
inline PageAlignedBytes make_page_aligned(std::size_t n) {
  return PageAlignedBytes(static_cast<char*>(::operator new[](n, PageAlignedDelete::kAlignment)));
}

}  // namespace mailsift
