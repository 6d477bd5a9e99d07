// Large and hostile messages, generated while they are read: each gives its
// row, without a crash and with memory bounded by the largest field.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "scan/message_scanner.h"
#include "scan/scan_workspace.h"
#include "header_scan_util.h"

namespace mailsift {
namespace {

// `total` bytes made of `head` and then `pattern` repeated.
class RepeatSource : public ByteSource {
 public:
  RepeatSource(std::string head, std::string pattern, std::size_t total)
      : head_(std::move(head)), pattern_(std::move(pattern)), total_(total) {}
  std::size_t read(char* buffer, std::size_t n) override {
    std::size_t done = 0;
    while (done < n && pos_ < total_) {
      const std::string& from = pos_ < head_.size() ? head_ : pattern_;
      std::size_t at = pos_ < head_.size() ? pos_ : (pos_ - head_.size()) % pattern_.size();
      std::size_t k = std::min({n - done, from.size() - at, total_ - pos_});
      std::memcpy(buffer + done, from.data() + at, k);
      done += k;
      pos_ += k;
    }
    return done;
  }

 private:
  std::string head_, pattern_;
  std::size_t total_;
  std::size_t pos_ = 0;
};

std::string scan(ScanWorkspace& ws, ByteSource& source) {
  std::string out;
  EXPECT_TRUE(test::scan_columns(ws, &source, out));
  return out;
}

// The line buffers never hold more than one piece (plus a read-ahead line).
void expect_bounded_buffers(const ScanWorkspace& ws) {
  EXPECT_LE(ws.line.capacity(), 2u * 32768u);
  EXPECT_LE(ws.ahead.capacity(), 2u * 32768u);
}

TEST(ScanStress, TwoHundredMegabytesWithoutLineEnd) {
  ScanWorkspace ws;
  RepeatSource source("Subject: big\n", "abcdefghij<b>", 200u << 20);
  std::string row = scan(ws, source);
  EXPECT_EQ(row, "|||||'0000-00-00 ||(#1:) Subject: big  | Unknown  ||");
  expect_bounded_buffers(ws);
}

TEST(ScanStress, AMillionToLines) {
  ScanWorkspace ws;
  const std::size_t lines = 1000000;
  RepeatSource source("", "To: x\n", lines * 6);
  std::string row = scan(ws, source);
  EXPECT_EQ(row.substr(0, 27), "|(#1:) To: x  (#2:) To: x  ");
  const std::string last = "(#1000000:) To: x  ||||'0000-00-00 ||| Unknown  ||";
  ASSERT_GE(row.size(), last.size());
  EXPECT_EQ(row.substr(row.size() - last.size()), last);
  EXPECT_EQ(ws.record.counters.to, 1000001);
  expect_bounded_buffers(ws);
}

TEST(ScanStress, BinaryFileReadsTheSameInAnyBufferSize) {
  // Pseudo-random bytes with every value, CR, LF, NUL and Ctrl-Z excepted
  // only where they would end the file early.
  std::string data(8u << 20, '\0');
  std::uint32_t state = 12345;
  for (char& c : data) {
    state = state * 1103515245u + 12345u;
    unsigned char b = static_cast<unsigned char>(state >> 16);
    c = static_cast<char>(b == 26 ? 27 : b);
  }
  // Sprinkle header-like lines so that the rules run on hostile neighbours.
  const char* heads[] = {"\nFrom: =",
                         "\nTo: a,",
                         "\nReceived: from [",
                         "\nContent-Type: message",
                         "\nMapi-Hasattach: x\nContent-Type: y",
                         "\nDate: 0000000000",
                         "\nSubject: x"};
  for (std::size_t i = 0, at = 1000; at + 64 < data.size(); ++i, at += 9973) {
    const char* h = heads[i % 7];
    std::memcpy(&data[at], h, std::strlen(h));
  }
  ScanWorkspace big_buffer;
  StringSource a(data);
  std::string row_a = scan(big_buffer, a);
  ScanWorkspace small_buffer(17);
  StringSource b(data);
  std::string row_b = scan(small_buffer, b);
  EXPECT_EQ(row_a, row_b);
  EXPECT_NE(big_buffer.record.counters.subject, 1);
  expect_bounded_buffers(big_buffer);
}

TEST(ScanStress, OnlyCarriageReturns) {
  ScanWorkspace ws;
  RepeatSource source("", "\r", 20u << 20);
  EXPECT_EQ(scan(ws, source), "|||||'0000-00-00 ||| Unknown  ||");
  expect_bounded_buffers(ws);
}

TEST(ScanStress, InvalidUtf8IsCarriedAsBytes) {
  ScanWorkspace ws;
  const std::string line = "Subject: \xC3\x28\xA0\xA1\xE2\x28\xA1\xF0\x90\x28\xBC\xFF\xFE\n";
  RepeatSource source("", line, line.size() * 100000);
  std::string row = scan(ws, source);
  const std::string entry = "(#1:) Subject: \xC3\x28\xA0\xA1\xE2\x28\xA1\xF0\x90\x28\xBC\xFF\xFE  ";
  // Five empty columns and the Date-Time column come first.
  EXPECT_EQ(row.substr(0, 19), "|||||'0000-00-00 ||");
  EXPECT_EQ(row.substr(19, entry.size()), entry);
  EXPECT_EQ(ws.record.counters.subject, 100001);
}

}  // namespace
}  // namespace mailsift
