// The archive reader against the splitter run over the whole file at once:
// the same messages with the same bytes at any window size, whatever units
// are held meanwhile (a held unit's bytes are read only when it is let go,
// after the reader has read on), and every window free again at the end.
#include "app/archive_reader.h"

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "fake_file_system.h"

namespace mailsift {
namespace {

// Reads come back in pieces of at most `chunk` bytes and fail once `fail_at`
// bytes are delivered.
class PieceFileSystem : public test::FakeFileSystem {
 public:
  std::size_t chunk = 5;
  std::size_t fail_at = static_cast<std::size_t>(-1);
  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override {
    if (delivered_ >= fail_at) return -1;
    n = std::min({n, chunk, fail_at - delivered_});
    const std::ptrdiff_t got = FakeFileSystem::read_file(file, buffer, n);
    delivered_ += static_cast<std::size_t>(std::max<std::ptrdiff_t>(got, 0));
    return got;
  }

 private:
  std::size_t delivered_ = 0;
};

struct Seen {
  std::uint32_t number;
  MboxMessage place;
  std::string bytes;
  bool failed;
  bool operator==(const Seen&) const = default;
};

void PrintTo(const Seen& s, std::ostream* os) {
  *os << "#" << s.number << " " << s.place.separator << " " << s.place.start << " "
      << s.place.end << (s.failed ? " failed " : " ") << testing::PrintToString(s.bytes);
}

std::string take_all(MessagePieces& pieces) {
  std::string bytes;
  std::string_view piece;
  while (pieces.next(piece)) bytes.append(piece);
  return bytes;
}

// The messages the splitter finds in the whole file, cut at `fail_at`.
std::vector<Seen> reference(const std::string& data, std::size_t fail_at) {
  std::vector<Seen> out;
  MboxSplitter splitter;
  MboxMessage m;
  const std::string read = data.substr(0, std::min(fail_at, data.size()));
  splitter.feed(read);
  while (splitter.next(m)) out.push_back({0, m, data.substr(m.start, m.end - m.start), false});
  const bool cut = fail_at < data.size();
  if (cut && splitter.in_message()) {
    const std::uint64_t start = splitter.open_started() ? splitter.open_start() : read.size();
    out.push_back({0, {splitter.open_separator(), start, read.size()},
                   read.substr(start), true});
  } else if (!cut && splitter.finish(m)) {
    out.push_back({0, m, data.substr(m.start, m.end - m.start), false});
  }
  for (std::size_t i = 0; i < out.size(); ++i) out[i].number = static_cast<std::uint32_t>(i + 1);
  return out;
}

struct Outcome {
  std::vector<Seen> seen;
  int long_messages = 0;
  std::size_t windows_made = 0;
  std::size_t windows_free = 0;
};

// Reads the archive keeping up to `held` units before letting the oldest go.
Outcome read_archive(const std::string& data, std::size_t window, std::size_t windows,
                     std::size_t held, std::size_t fail_at = static_cast<std::size_t>(-1)) {
  PieceFileSystem fs;
  fs.fail_at = fail_at;
  fs.add_file("/a/box", static_cast<std::int64_t>(data.size()), data);
  const int dir = fs.open_directory("/a");
  SelectedFile file;
  file.size = static_cast<std::int64_t>(data.size());
  file.file = platform::File(fs, fs.open_file(dir, "box"));
  Outcome out;
  ArchiveReader reader(window, windows);
  EXPECT_TRUE(reader.open(file));
  std::deque<ArchiveUnit> units;
  auto let_go_oldest = [&] {
    ArchiveUnit& u = units.front();
    UnitPieces pieces(u, reader.error_text());
    const std::string bytes = take_all(pieces);
    out.seen.push_back({u.number, u.place, bytes, pieces.failed()});
    release_unit(u);
    units.pop_front();
  };
  ArchiveUnit unit;
  for (int steps = 0; steps < 100000; ++steps) {
    const ArchiveReader::Next next = reader.next(unit);
    if (next == ArchiveReader::Next::kEnd) break;
    if (next == ArchiveReader::Next::kMessage) {
      units.push_back(unit);
      if (units.size() > held) let_go_oldest();
    } else if (next == ArchiveReader::Next::kNoWindow) {
      EXPECT_FALSE(units.empty()) << "no window free, and no unit holds one";
      if (units.empty()) break;
      let_go_oldest();
    } else {
      while (!units.empty()) let_go_oldest();
      ++out.long_messages;
      MessagePieces& pieces = reader.long_message(unit);
      const std::string bytes = take_all(pieces);
      out.seen.push_back({unit.number, unit.place, bytes, pieces.failed()});
    }
  }
  while (!units.empty()) let_go_oldest();
  out.windows_made = reader.windows_made();
  out.windows_free = reader.windows_free();
  fs.close_directory(dir);
  return out;
}

std::string archive(int count, const char* eol) {
  std::string text;
  for (int k = 0; k < count; ++k) {
    text += std::string("From sender Mon Jan  1 00:00:00 2024") + eol + "Subject: " +
            std::to_string(k) + eol + eol + "From the body" + eol + ">From quoted" + eol;
    for (int i = 0; i < k % 4; ++i) text += std::string("line") + eol;
    text += eol;
  }
  return text;
}

const std::string kLong = archive(2, "\n") + "From x\n" + std::string(300, 'L') + "\n\n" +
                          archive(2, "\n");

struct Archive {
  const char* name;
  std::string data;
};

const std::vector<Archive> kArchives = {
    {"lf", archive(12, "\n")},
    {"crlf", archive(12, "\r\n")},
    {"separators only", "From a\nFrom b\n\nFrom c\n\n\nFrom d"},
    {"no final line end", archive(3, "\n") + "From z\nSubject: last"},
    {"long separator line", "From " + std::string(200, 's') + "\nbody\n\nFrom t\n" +
                                std::string(150, 'u')},
    {"long message", kLong},
};

TEST(ArchiveReader, SameMessagesAtEveryWindowSizeWhateverIsHeld) {
  struct Windows {
    std::size_t size, count;
  };
  for (const Archive& a : kArchives) {
    const std::vector<Seen> want = reference(a.data, static_cast<std::size_t>(-1));
    for (const Windows w : {Windows{8, 2}, Windows{13, 3}, Windows{64, 4}, Windows{4096, 8}}) {
      for (const std::size_t held : {0u, 1u, 7u}) {
        const Outcome got = read_archive(a.data, w.size, w.count, held);
        const std::string where = std::string(a.name) + ", windows " + std::to_string(w.size) +
                                  "x" + std::to_string(w.count) + ", held " +
                                  std::to_string(held);
        EXPECT_EQ(got.seen, want) << where;
        EXPECT_LE(got.windows_made, w.count) << where;
        EXPECT_EQ(got.windows_free, got.windows_made) << where;
      }
    }
  }
}

TEST(ArchiveReader, MessageLargerThanTheWindowsIsReadAsItIsTaken) {
  // 300 bytes against windows of 2 x 64: read piece by piece; 4096 bytes of
  // windows hold it whole.
  EXPECT_EQ(read_archive(kLong, 64, 2, 0).long_messages, 1);
  EXPECT_EQ(read_archive(kLong, 64, 2, 7).long_messages, 1);
  EXPECT_EQ(read_archive(kLong, 4096, 8, 7).long_messages, 0);
}

TEST(ArchiveReader, ReadErrorCutsTheMessageBeingRead) {
  for (const Archive& a : kArchives) {
    for (const std::size_t fail_at : {std::size_t{40}, std::size_t{97}, a.data.size() - 3}) {
      if (fail_at >= a.data.size()) continue;
      const std::vector<Seen> want = reference(a.data, fail_at);
      ASSERT_FALSE(want.empty());
      EXPECT_TRUE(want.back().failed);
      for (const std::size_t window : {std::size_t{8}, std::size_t{64}}) {
        const Outcome got = read_archive(a.data, window, 3, 1, fail_at);
        EXPECT_EQ(got.seen, want) << a.name << ", failing at " << fail_at << ", windows of "
                                  << window;
        EXPECT_EQ(got.windows_free, got.windows_made);
      }
    }
  }
}

TEST(ArchiveReader, FileNotBeginningWithFromIsLeftToTheScan) {
  struct Head {
    std::string data;
    bool archive;
    bool whole;
  };
  const std::string big(ArchiveReader::kHeadBytes + 10, 'x');
  for (const Head& h : {Head{"From a\nx\n", true, true}, Head{"From:a\n", false, true},
                        Head{" From a\n", false, true}, Head{big, false, false}}) {
    PieceFileSystem fs;
    fs.chunk = static_cast<std::size_t>(-1);
    fs.add_file("/a/m", static_cast<std::int64_t>(h.data.size()), h.data);
    const int dir = fs.open_directory("/a");
    SelectedFile file;
    file.size = static_cast<std::int64_t>(h.data.size());
    file.file = platform::File(fs, fs.open_file(dir, "m"));
    ArchiveReader reader(64, 2);
    EXPECT_EQ(reader.open(file), h.archive) << h.data.substr(0, 10);
    EXPECT_EQ(!file.file.is_open(), h.archive) << "the reader owns an archive's handle";
    if (!h.archive) {
      EXPECT_EQ(reader.head().bytes, h.data.substr(0, ArchiveReader::kHeadBytes));
      EXPECT_EQ(reader.head().whole, h.whole);
      file.file.close();
    }
    reader.close();
    EXPECT_EQ(fs.open_handles(), 1) << "only the directory is open";
    fs.close_directory(dir);
  }
}

}  // namespace
}  // namespace mailsift
