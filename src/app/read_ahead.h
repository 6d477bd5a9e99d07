// Reading the files ahead of the scan. The walking thread starts a read of
// the first bytes of each file as it is handed over; the read runs in the
// system (a read ring) while the files before it are scanned, so that on a
// cold cache the device has many requests at once, whatever the number of
// scanning threads. The scan reads through this file system as through any
// other: a file started ahead gets its first bytes from the finished read
// (waiting for it if need be), and the rest from the file itself.
//
// Reads ahead pay on a cold cache only: a file in the page cache is read
// faster by the plain read the scan makes anyway than through the ring. So
// every kProbeEvery-th file is a probe: the system is asked whether its
// first bytes are cached. Until the next probe, the files are started when
// the last probe found them cold, and left to plain reads when it found
// them cached.
//
// On a cold cache the reads are handed over in batches: the system starts
// the device's reads of a batch together, and a read of a file that turns
// out to be cached costs no more than a plain one.
//
// Each file started holds a buffer of kBytes until its bytes are taken or it
// is closed (and its read has finished); there are `slots` buffers, made
// once, so memory does not grow with the files. A file started when none is
// free is read the plain way. Without a ring nothing is started.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/read_ring.h"
#include "util/page_aligned.h"

namespace mailsift {

class ReadAhead : public platform::FileSystem {
 public:
  // The bytes read ahead of each file: most messages whole.
  static constexpr std::size_t kBytes = 64 << 10;
  static constexpr unsigned kProbeEvery = 16;

  // Reads started are handed to the system `batch` at a time (and before a
  // file whose read is still queued goes to the scan: see ready). With
  // `every_file` no probes: every file is started.
  ReadAhead(platform::FileSystem& fs, std::unique_ptr<platform::ReadRing> ring, std::size_t slots,
            std::size_t batch = 1, bool every_file = false);
  // Waits for the reads still in flight: their buffers are the system's until
  // then.
  ~ReadAhead() override;
  ReadAhead(const ReadAhead&) = delete;
  ReadAhead& operator=(const ReadAhead&) = delete;

  bool active() const { return ring_ != nullptr; }
  // Starts reading the open file `file` of `size` bytes (the walking thread
  // only), unless the files are cached. Nothing happens for an empty file,
  // or when no buffer is free or the ring refuses the read.
  void start(int file, std::int64_t size);
  // Before `file` goes to a thread that may wait for its read: a read still
  // queued goes to the system now, with those queued before it (the walking
  // thread only).
  void ready(int file);
  // Files started whose buffers are not free again (for tests).
  std::size_t held() const;

  // The file system's calls, passed on; read_file and close_file as above.
  int open_directory(const std::string& absolute_path) override {
    return fs_.open_directory(absolute_path);
  }
  int open_subdirectory(int dir, const std::string& name) override {
    return fs_.open_subdirectory(dir, name);
  }
  void close_directory(int dir) override { fs_.close_directory(dir); }
  bool list_directory(int dir, std::vector<std::string>& names) override {
    return fs_.list_directory(dir, names);
  }
  bool list_entries(int dir, std::vector<platform::ListedEntry>& entries) override {
    return fs_.list_entries(dir, entries);
  }
  bool stat_entry(int dir, const std::string& name, platform::EntryInfo& info) override {
    return fs_.stat_entry(dir, name, info);
  }
  bool directory_identity(int dir, platform::FileIdentity& id) override {
    return fs_.directory_identity(dir, id);
  }
  platform::DirectoryFailure directory_failure(std::string& reason) override {
    return fs_.directory_failure(reason);
  }
  int open_file(int dir, const std::string& name) override { return fs_.open_file(dir, name); }
  bool look_at_regular(int dir, const std::string& name, platform::EntryInfo& info,
                       int& opened) override {
    return fs_.look_at_regular(dir, name, info, opened);
  }
  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override;
  void close_file(int file) override;
  bool set_attributes(int dir, const std::string& name, std::uint32_t attributes) override {
    return fs_.set_attributes(dir, name, attributes);
  }

 private:
  static constexpr int kNone = -1;
  // A slot's result when its read was never handed to the system.
  static constexpr std::int64_t kNotRead = std::numeric_limits<std::int64_t>::min();
  struct Slot {
    int file = kNone;       // the reader's file, kNone once let go of
    bool in_flight = false;  // the system still owns the buffer
    bool lost = false;       // its completion never came: never used again
    std::int64_t result = 0;
    std::size_t taken = 0;  // bytes handed to the reader
    bool queued = false;    // in the batch not handed to the system yet
    char* bytes = nullptr;
  };

  // Hands the batch to the system; a read it does not take is marked to be
  // read plainly, and the ring is used no more.
  void flush();
  // Whether the read of `file` is in the batch not handed over yet.
  bool queued(int file);
  // Under mutex_.
  Slot* slot_of(int file);
  void finish(std::uint64_t tag, std::int64_t result);
  void let_go(std::size_t index);
  void give_back(std::size_t index);
  // Takes finished reads without waiting (reap_ held).
  void take_completions();
  // Waits until slot `index` is no longer in flight; false when the ring
  // failed (the system's words in the last error).
  bool wait_for(std::size_t index);

  platform::FileSystem& fs_;
  std::unique_ptr<platform::ReadRing> ring_;
  PageAlignedBytes buffers_;  // kBytes for each slot
  std::vector<Slot> slots_;
  std::vector<std::uint32_t> free_;  // a stack: the buffers used last are reused first
  std::vector<std::int32_t> by_file_;  // slot index by handle, or -1
  std::size_t in_flight_ = 0;
  std::atomic<std::size_t> held_{0};  // buffers not on the free stack
  // The walking thread's: what the last probe met, and the files since.
  bool cold_ = false;
  unsigned since_probe_ = kProbeEvery - 1;
  bool every_file_;
  // The walking thread's: the slots queued and not handed over, in order.
  std::vector<std::uint32_t> batch_;
  std::size_t batch_size_;
  bool ring_failed_ = false;
  mutable std::mutex mutex_;  // the slots, the free stack and the index
  std::mutex reap_;           // one thread at a time takes completions
};

}  // namespace mailsift
