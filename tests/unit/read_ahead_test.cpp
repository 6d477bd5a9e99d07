// The read-ahead over a fake ring: the ring's reads are done by the fake
// file system when the reader waits for them, with results the test may
// replace, so that failures and refusals meet the engine's real code. The
// files are cold unless a test says otherwise.
#include "app/read_ahead.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <deque>
#include <map>
#include <string>

#include "fake_file_system.h"
#include "platform/platform.h"
#include "platform/read_ring.h"

namespace mailsift {
namespace {

struct RingScript {
  std::map<int, std::int64_t> results;  // by file: a result instead of the read
  bool refuse = false;                  // submit fails
  bool cached = false;                  // probes find the files cached
  bool lose = false;                    // waiting fails
  std::size_t takes = ~std::size_t{0};  // reads a flush hands over, at most
  int submitted = 0;
  int probes = 0;
  int pending = 0;
};

class FakeRing : public platform::ReadRing {
 public:
  FakeRing(platform::FileSystem& fs, RingScript& script) : fs_(fs), script_(script) {}
  ~FakeRing() override { EXPECT_EQ(reads_.size(), 0u) << "reads in flight when the ring closed"; }
  bool submit(int file, char* buffer, std::size_t n, std::uint64_t tag) override {
    if (script_.refuse) return false;
    queued_.push_back({file, buffer, n, tag});
    ++script_.submitted;
    return true;
  }
  std::size_t flush() override {
    std::size_t taken = 0;
    for (; !queued_.empty() && taken < script_.takes; ++taken) {
      reads_.push_back(queued_.front());
      queued_.pop_front();
    }
    script_.pending = static_cast<int>(reads_.size());
    return taken;
  }
  bool cached(int) override {
    ++script_.probes;
    return script_.cached;
  }
  bool complete(bool wait, std::uint64_t& tag, std::int64_t& result) override {
    if (!wait || reads_.empty() || script_.lose) return false;
    const Read r = reads_.front();
    reads_.pop_front();
    script_.pending = static_cast<int>(reads_.size());
    tag = r.tag;
    const auto injected = script_.results.find(r.file);
    result = injected != script_.results.end() ? injected->second
                                               : fs_.read_file(r.file, r.buffer, r.n);
    return true;
  }

 private:
  struct Read {
    int file;
    char* buffer;
    std::size_t n;
    std::uint64_t tag;
  };
  platform::FileSystem& fs_;
  RingScript& script_;
  std::deque<Read> queued_, reads_;  // not handed over; in flight
};

std::string content(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + (i * 7 + i / 251) % 26);
  return s;
}

// Reads the open file `file` to its end in chunks of `chunk` bytes; "ERROR"
// and the system's words on a failed read.
std::string read_all(platform::FileSystem& fs, int file, std::size_t chunk) {
  std::string out;
  std::string buffer(chunk, '\0');
  for (;;) {
    const std::ptrdiff_t got = fs.read_file(file, buffer.data(), chunk);
    if (got < 0) return "ERROR " + platform::last_error_text();
    if (got == 0) return out;
    out.append(buffer.data(), static_cast<std::size_t>(got));
  }
}

class ReadAheadTest : public ::testing::Test {
 protected:
  std::unique_ptr<ReadAhead> make(std::size_t slots, std::size_t batch = 1) {
    return std::make_unique<ReadAhead>(fs_, std::make_unique<FakeRing>(fs_, script_), slots,
                                       batch);
  }
  int open(const std::string& name, const std::string& bytes) {
    fs_.add_file("/m/" + name, static_cast<std::int64_t>(bytes.size()), bytes);
    const int dir = fs_.open_directory("/m");
    const int file = fs_.open_file(dir, name);
    fs_.close_directory(dir);
    return file;
  }
  test::FakeFileSystem fs_;
  RingScript script_;
};

TEST_F(ReadAheadTest, ReaderGetsEveryByteInOrderWhateverTheSizes) {
  constexpr std::size_t k = ReadAhead::kBytes;
  int n = 0;
  for (const std::size_t size : {std::size_t{1}, std::size_t{300}, k - 1, k, k + 1, 3 * k + 5}) {
    for (const std::size_t chunk : {std::size_t{7}, std::size_t{4096}, std::size_t{128} << 10}) {
      SCOPED_TRACE(testing::Message() << "size " << size << ", chunk " << chunk);
      auto ahead = make(4);
      const std::string bytes = content(size);
      const int file = open("f" + std::to_string(n++), bytes);
      ahead->start(file, static_cast<std::int64_t>(size));
      EXPECT_EQ(script_.pending, 1);
      EXPECT_EQ(read_all(*ahead, file, chunk), bytes);
      EXPECT_EQ(ahead->held(), 0u) << "the buffer is free once its bytes are taken";
      ahead->close_file(file);
    }
  }
  EXPECT_EQ(fs_.open_handles(), 0);
}

TEST_F(ReadAheadTest, FailedRefusedAndBlockedReads) {
  const std::string bytes = content(5000);
  platform::note_read_error(-EIO);
  const std::string eio = "ERROR " + platform::last_error_text();
  struct Case {
    const char* name;
    std::int64_t result;  // 0: the real read
    bool refuse;
    std::string expected;
  };
  const bool blocking_known = platform::read_would_block(-EAGAIN);
  for (const Case& c : {Case{"failed", -EIO, false, eio},
                        Case{"blocked", blocking_known ? -EAGAIN : 0, false, bytes},
                        Case{"refused", 0, true, bytes}}) {
    SCOPED_TRACE(c.name);
    auto ahead = make(2);
    const int file = open(c.name, bytes);
    script_.refuse = c.refuse;
    if (c.result != 0) script_.results[file] = c.result;
    ahead->start(file, static_cast<std::int64_t>(bytes.size()));
    platform::note_read_error(-ENOENT);  // a stale error must not show
    EXPECT_EQ(read_all(*ahead, file, 1024), c.expected);
    EXPECT_EQ(ahead->held(), 0u);
    ahead->close_file(file);
    script_ = RingScript{};
  }
}

TEST_F(ReadAheadTest, BuffersAreBoundedAndComeBackAfterClosing) {
  auto ahead = make(2);
  std::vector<int> files;
  std::vector<std::string> texts;
  for (int i = 0; i < 3; ++i) {
    texts.push_back(content(100 + static_cast<std::size_t>(i)));
    files.push_back(open("b" + std::to_string(i), texts.back()));
    ahead->start(files.back(), static_cast<std::int64_t>(texts.back().size()));
  }
  EXPECT_EQ(script_.submitted, 2) << "no third buffer: the third file is read plainly";
  EXPECT_EQ(ahead->held(), 2u);
  // Closed unread, its read still in flight: the buffer is the system's until
  // the read is done.
  ahead->close_file(files[0]);
  EXPECT_EQ(ahead->held(), 2u);
  EXPECT_EQ(read_all(*ahead, files[1], 64), texts[1]);
  EXPECT_EQ(read_all(*ahead, files[2], 64), texts[2]);
  EXPECT_EQ(ahead->held(), 0u) << "the read of the closed file was taken while waiting";
  ahead->close_file(files[1]);
  ahead->close_file(files[2]);
  EXPECT_EQ(fs_.open_handles(), 0);
}

// Cached files are read plainly; after a probe that finds a file cold every
// file is started, until a probe finds one cached.
TEST_F(ReadAheadTest, ProbesDecideWhetherFilesAreStarted) {
  constexpr int k = static_cast<int>(ReadAhead::kProbeEvery);
  struct Case {
    bool cached_first, cached_then;
    int submitted, probes;  // over 3k files, cached_then from file k on
  };
  int n = 0;
  for (const Case& c : {Case{true, true, 0, 3}, Case{false, false, 3 * k, 3},
                        Case{false, true, k, 3}, Case{true, false, 2 * k, 3}}) {
    SCOPED_TRACE(testing::Message() << c.cached_first << c.cached_then);
    auto ahead = make(4);
    script_.cached = c.cached_first;
    for (int i = 0; i < 3 * k; ++i) {
      if (i == k) script_.cached = c.cached_then;
      const std::string bytes = content(10 + static_cast<std::size_t>(i));
      const int file = open("p" + std::to_string(n++), bytes);
      ahead->start(file, static_cast<std::int64_t>(bytes.size()));
      EXPECT_EQ(read_all(*ahead, file, 4096), bytes);
      ahead->close_file(file);
    }
    EXPECT_EQ(script_.submitted, c.submitted);
    EXPECT_EQ(script_.probes, c.probes);
    script_ = RingScript{};
  }
}

TEST_F(ReadAheadTest, LostCompletionFailsTheReadAndKeepsItsBuffer) {
  auto ahead = make(1);
  const int file = open("lost", content(10));
  ahead->start(file, 10);
  script_.lose = true;
  EXPECT_EQ(read_all(*ahead, file, 64).rfind("ERROR", 0), 0u);
  ahead->close_file(file);
  EXPECT_EQ(ahead->held(), 1u) << "the system may still write into it";
  const int next = open("next", content(10));
  ahead->start(next, 10);
  EXPECT_EQ(script_.submitted, 1);
  ahead->close_file(next);
  script_.lose = false;  // the ring gives the lost read back before it closes
}

// Reads go to the system a batch at a time, or sooner for a file about to be
// scanned; a batch the system takes only part of leaves the rest to plain
// reads, and the ring is used no more.
TEST_F(ReadAheadTest, BatchesGoWhenFullOrWhenTheirFileIsNeeded) {
  struct Case {
    std::size_t takes;
    int pending_after_ready;
    int submitted;  // of four starts
  };
  for (const Case& c : {Case{~std::size_t{0}, 2, 4}, Case{1, 1, 2}}) {
    SCOPED_TRACE(c.takes);
    auto ahead = make(4, 3);
    script_.takes = c.takes;
    std::vector<int> files;
    std::vector<std::string> texts;
    for (int i = 0; i < 2; ++i) {
      texts.push_back(content(50 + static_cast<std::size_t>(i)));
      files.push_back(open("q" + std::to_string(i) + std::to_string(c.takes), texts.back()));
      ahead->start(files.back(), static_cast<std::int64_t>(texts.back().size()));
    }
    EXPECT_EQ(script_.pending, 0) << "a batch of three is not full yet";
    ahead->ready(files[1]);
    EXPECT_EQ(script_.pending, c.pending_after_ready);
    for (int i = 0; i < 2; ++i) {
      EXPECT_EQ(read_all(*ahead, files[i], 16), texts[i]);
      ahead->close_file(files[i]);
    }
    for (int i = 2; i < 4; ++i) {
      const int file = open("r" + std::to_string(i) + std::to_string(c.takes), content(20));
      ahead->start(file, 20);
      ahead->ready(file);
      EXPECT_EQ(read_all(*ahead, file, 16), content(20));
      ahead->close_file(file);
    }
    EXPECT_EQ(script_.submitted, c.submitted);
    EXPECT_EQ(ahead->held(), 0u);
    if (c.submitted == 4) {
      // Closed while its read is queued: the read goes first, while the
      // handle is still the file's.
      const int closed = open("s" + std::to_string(c.takes), content(30));
      ahead->start(closed, 30);
      EXPECT_EQ(script_.pending, 0);
      ahead->close_file(closed);
      EXPECT_EQ(script_.pending, 1);
    }
    ahead.reset();
    script_ = RingScript{};
  }
  EXPECT_EQ(fs_.open_handles(), 0);
}

}  // namespace
}  // namespace mailsift
