// The read ring on Linux: io_uring through liburing. Reads are queued and
// handed over in batches, one system call for many files. The kernel tries
// each within that call: a cold file's read starts the device's reads of
// its pages and finishes when they arrive, with no worker thread of the
// kernel's waiting for it. Within one call the device's requests go out
// together, which on a virtual disk costs one notification of the host
// rather than one per file.
#include "platform/read_ring.h"

#include <liburing.h>
#include <sys/uio.h>

#include <cerrno>
#include <string>
#include <thread>

#include "platform/platform.h"

namespace mailsift::platform {

namespace {

class UringReadRing : public ReadRing {
 public:
  static constexpr int kRefusals = 100;

  UringReadRing() = default;
  UringReadRing(const UringReadRing&) = delete;
  UringReadRing& operator=(const UringReadRing&) = delete;
  ~UringReadRing() override { io_uring_queue_exit(&ring_); }

  bool open(unsigned depth) { return io_uring_queue_init(depth, &ring_, 0) == 0; }

  bool submit(int file, char* buffer, std::size_t n, std::uint64_t tag) override {
    io_uring_sqe* sqe = io_uring_get_sqe(&ring_);
    if (sqe == nullptr) return false;
    // Offset -1: the file's own position, advanced by the read.
    io_uring_prep_read(sqe, file, buffer, static_cast<unsigned>(n), static_cast<__u64>(-1));
    io_uring_sqe_set_data64(sqe, tag);
    return true;
  }

  std::size_t flush() override {
    std::size_t taken = 0;
    // The kernel may take part of a batch, or refuse it for a moment when
    // short of memory; it is asked again a few times.
    for (int refused = 0; io_uring_sq_ready(&ring_) > 0 && refused < kRefusals;) {
      const int sent = io_uring_submit(&ring_);
      if (sent > 0) {
        taken += static_cast<std::size_t>(sent);
      } else if (sent != -EINTR) {
        if (sent != -EAGAIN && sent != -EBUSY) break;
        ++refused;
        std::this_thread::yield();
      }
    }
    return taken;
  }

  bool cached(int file) override {
    // A one-byte read that must not wait: EAGAIN when the byte is not in
    // the page cache.
    char byte;
    iovec piece{&byte, 1};
    ssize_t got;
    do {
      got = ::preadv2(file, &piece, 1, 0, RWF_NOWAIT);
    } while (got < 0 && errno == EINTR);
    return got >= 0 || errno != EAGAIN;
  }

  bool complete(bool wait, std::uint64_t& tag, std::int64_t& result) override {
    io_uring_cqe* cqe = nullptr;
    int got = io_uring_peek_cqe(&ring_, &cqe);
    while (got != 0 && wait) {
      got = io_uring_wait_cqe(&ring_, &cqe);
      if (got != -EINTR) break;
    }
    if (got != 0 || cqe == nullptr) {
      if (wait) errno = -got;  // why waiting failed, for last_error_text()
      return false;
    }
    tag = io_uring_cqe_get_data64(cqe);
    result = cqe->res;
    io_uring_cqe_seen(&ring_, cqe);
    return true;
  }

 private:
  io_uring ring_{};
};

}  // namespace

std::unique_ptr<ReadRing> open_read_ring(unsigned depth) {
  auto ring = std::make_unique<UringReadRing>();
  if (!ring->open(depth)) return nullptr;
  return ring;
}

}  // namespace mailsift::platform
