#include "util/text_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace mailsift {
namespace {

// Reads every piece with the given limit.
std::vector<std::string> pieces(const std::string& data, std::size_t max_len,
                                std::size_t buffer_size = 16) {
  StringSource source(data);
  TextReader reader(buffer_size);
  reader.reset(&source);
  std::vector<std::string> out;
  std::string line;
  while (reader.read_line(line, max_len)) out.push_back(line);
  return out;
}

TEST(TextReaderTextMode, CrLfReadsAsLfAndLoneCrStays) {
  auto got = pieces("a\r\nb\rc\n\r\r\nend", 100);
  std::vector<std::string> want = {"a\n", "b\rc\n", "\r\n", "end"};
  EXPECT_EQ(got, want);
}

TEST(TextReaderTextMode, CrLfAcrossBufferRefill) {
  // The CR is the last byte of one buffer fill and the LF the first of the next.
  std::string data(15, 'x');
  data += "\r\nyy\n";
  auto got = pieces(data, 100, 16);
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], std::string(15, 'x') + "\n");
  EXPECT_EQ(got[1], "yy\n");
}

TEST(TextReaderTextMode, CtrlZEndsTheFile) {
  auto got = pieces("one\ntw\x1Ao\nthree\n", 100);
  std::vector<std::string> want = {"one\n", "tw"};
  EXPECT_EQ(got, want);
}

TEST(TextReaderTextMode, NulBytesPassThrough) {
  std::string data("ab\0cd\n", 6);
  auto got = pieces(data, 100);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], data);
}

TEST(TextReaderPieces, LongLineArrivesInPiecesOfMaxMinusOne) {
  std::string data(10, 'a');
  data += "\n";
  auto got = pieces(data, 4);
  std::vector<std::string> want = {"aaa", "aaa", "aaa", "a\n"};
  EXPECT_EQ(got, want);
}

TEST(TextReaderPieces, LineOfExactlyMaxMinusOneKeepsLfForNextPiece) {
  auto got = pieces("abc\nd", 4);
  std::vector<std::string> want = {"abc", "\n", "d"};
  EXPECT_EQ(got, want);
}

TEST(TextReaderPieces, CrLfCountsAsOneByteAgainstTheLimit) {
  auto got = pieces("ab\r\ncd", 4);
  std::vector<std::string> want = {"ab\n", "cd"};
  EXPECT_EQ(got, want);
}

TEST(TextReaderPushBack, PushedLineIsReadAgainThenReadingGoesOn) {
  StringSource source("first\nsecond\n");
  TextReader reader;
  reader.reset(&source);
  std::string line;
  ASSERT_TRUE(reader.read_line(line, 100));
  EXPECT_EQ(line, "first\n");
  reader.push_back(line);
  EXPECT_FALSE(reader.at_end());
  ASSERT_TRUE(reader.read_line(line, 100));
  EXPECT_EQ(line, "first\n");
  ASSERT_TRUE(reader.read_line(line, 100));
  EXPECT_EQ(line, "second\n");
  EXPECT_FALSE(reader.read_line(line, 100));
  EXPECT_TRUE(reader.at_end());
  EXPECT_TRUE(line.empty());
}

TEST(TextReaderPushBack, ResetDropsPushedLine) {
  StringSource a("x\n"), b("y\n");
  TextReader reader;
  reader.reset(&a);
  reader.push_back("stale\n");
  reader.reset(&b);
  std::string line;
  ASSERT_TRUE(reader.read_line(line, 100));
  EXPECT_EQ(line, "y\n");
}

TEST(TextReaderEdges, EmptyAndOnlyCr) {
  EXPECT_TRUE(pieces("", 100).empty());
  auto got = pieces("\r", 100);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(got[0], "\r");
  EXPECT_TRUE(pieces("\x1A"
                     "abc",
                     100)
                  .empty());
}

}  // namespace
}  // namespace mailsift
