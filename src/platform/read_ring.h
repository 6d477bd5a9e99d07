// Reads handed to the system to run while the caller goes on: many of them
// in flight at once from one thread, each finished later by a completion.
// On Linux this is io_uring; where the system has no such queue (or the
// environment asks for plain reads) there is no ring and the reader reads
// when it needs the bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace mailsift::platform {

class ReadRing {
 public:
  virtual ~ReadRing() = default;
  // Queues a read of up to `n` bytes into `buffer`, at the file's position
  // (which the read advances, as a plain read does); flush hands the queued
  // reads to the system, all in one call. `tag` comes back with its
  // completion. False when it cannot be queued; nothing is then in flight
  // for it. One thread submits and flushes.
  virtual bool submit(int file, char* buffer, std::size_t n, std::uint64_t tag) = 0;
  // Hands the reads queued so far to the system, in the order queued: how
  // many it took. Those it did not take never run; the ring is then not to
  // be used for reads again.
  virtual std::size_t flush() = 0;
  // Whether the first bytes of the open file are in the page cache: a read
  // of them would not wait for the device. Moves no file position.
  virtual bool cached(int file) = 0;
  // One finished read: its tag and result (the byte count, or a negative
  // system error code for note_read_error). Waits for one when `wait` is set
  // and reads are in flight; false when none is ready. One thread at a time
  // takes completions, which may be another than the one that submits.
  virtual bool complete(bool wait, std::uint64_t& tag, std::int64_t& result) = 0;
};

// A ring for up to `depth` reads in flight, or null when the system cannot
// give one: no io_uring (an old kernel, disabled, a seccomp filter, another
// system).
std::unique_ptr<ReadRing> open_read_ring(unsigned depth);

// How files are read, from MAILSIFT_IO in the environment: "plain" without
// a ring, "ahead" every file through the ring (for tests), anything else as
// the read-ahead judges best.
enum class ReadMode { kJudged, kPlain, kAhead };
ReadMode read_mode();

// A failed read's result code becomes this thread's last error, so that
// last_error_text() describes it.
void note_read_error(std::int64_t result);

// The result code a read that was told to wait but would block gives; such
// a read is done again plainly.
bool read_would_block(std::int64_t result);

}  // namespace mailsift::platform
