// The reader's answers from its index (does this line hold a mark or an odd
// byte, where are its marks, which lines can be passed over) must match a
// plain search of the lines in every case: lines taken whole from the
// buffer, lines across refills, CR LF lines, pieces and pushed-back lines.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "util/text_reader.h"

namespace mailsift {
namespace {

constexpr std::string_view kMarks = ":=";
const std::string_view kOdd("\0<", 2);

unsigned searched(std::string_view line) {
  unsigned holds = 0;
  if (line.find_first_of(kMarks) != std::string_view::npos) holds |= TextReader::kHoldsMark;
  if (line.find_first_of(kOdd) != std::string_view::npos) holds |= TextReader::kHoldsOdd;
  return holds;
}

// The places of the marks (odd bytes) of `text` as the reader tells them.
template <bool kMarksWanted>
std::vector<std::size_t> places(TextReader& reader, std::string_view text) {
  std::vector<std::size_t> at;
  auto note = [&](std::size_t i) { at.push_back(i); };
  if constexpr (kMarksWanted) {
    reader.visit_marks(text, note);
  } else {
    reader.visit_odd(text, note);
  }
  return at;
}

std::vector<std::size_t> searched_places(std::string_view text, std::string_view bytes) {
  std::vector<std::size_t> at;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (bytes.find(text[i]) != std::string_view::npos) at.push_back(i);
  }
  return at;
}

TEST(TextReaderWatch, MatchesASearchOfEveryLine) {
  std::string data;
  const char* lines[] = {"plain text\n", "a: b\n", "x=y <z>\n",   "\n",
                         "tail:\r\n",    "\r\n",   "lone\rcr=\n", "no line end"};
  for (int round = 0; round < 40; ++round) {
    for (const char* l : lines) data += l;
    data += std::string("with\0nul\n", 9);
    data += std::string(static_cast<std::size_t>(round * 7), 'q') + ":" + "\n";
  }
  for (std::size_t buffer_size : {16u, 61u, 4096u}) {
    for (std::size_t max_len : {5u, 32768u}) {
      StringSource source(data);
      TextReader reader(buffer_size);
      reader.index_bytes(kMarks, kOdd);
      reader.reset(&source);
      std::string line;
      int count = 0;
      while (reader.read_line(line, max_len)) {
        ASSERT_EQ(reader.line_classes(line), searched(line))
            << "line " << count << " buffer " << buffer_size << " max " << max_len;
        if (count % 5 == 0) {
          // A pushed-back line is answered as well.
          reader.push_back(line);
          std::string again;
          ASSERT_TRUE(reader.read_line(again, max_len));
          ASSERT_EQ(again, line);
          ASSERT_EQ(reader.line_classes(again), searched(again));
        }
        ++count;
      }
      EXPECT_GE(count, 360);
    }
  }
}

TEST(TextReaderWatch, LinesSeenInPlaceReadAsCopiedLines) {
  // read_line_view gives the very lines read_line gives, CR LF lines with LF
  // alone, and its answers (classes, places of marks and odd bytes in the
  // line and in a part of it) match a search of each line.
  std::string data;
  for (int round = 0; round < 30; ++round) {
    data += "From: a <b>\r\nplain\n\r\n\nlone\rcr\r\r\nx=1\n";
    data += std::string("nul\0:\r\n", 8);
    data += std::string(static_cast<std::size_t>(round * 11), 'w') + "\r\n";
  }
  data += "tail\r";
  for (std::size_t buffer_size : {16u, 37u, 4096u}) {
    for (std::size_t max_len : {6u, 32768u}) {
      StringSource copied_source(data);
      StringSource viewed_source(data);
      TextReader copied(buffer_size);
      TextReader viewed(buffer_size);
      viewed.index_bytes(kMarks, kOdd);
      copied.reset(&copied_source);
      viewed.reset(&viewed_source);
      std::string expected;
      std::string scratch;
      std::string_view line;
      int count = 0;
      while (copied.read_line(expected, max_len)) {
        ASSERT_TRUE(viewed.read_line_view(line, scratch, max_len)) << "line " << count;
        ASSERT_EQ(line, expected) << "line " << count << " buffer " << buffer_size;
        ASSERT_EQ(viewed.line_classes(line), searched(expected)) << "line " << count;
        const std::string_view part = line.substr(line.size() / 3);
        ASSERT_EQ(places<true>(viewed, part), searched_places(part, kMarks)) << "line " << count;
        ASSERT_EQ(places<false>(viewed, line), searched_places(line, kOdd)) << "line " << count;
        if (count % 7 == 0) {
          // Read again from the buffer, a CR LF line with its CR restored.
          const std::string copy(line);
          viewed.push_back(copy);
          ASSERT_TRUE(viewed.read_line_view(line, scratch, max_len));
          ASSERT_EQ(line, expected);
          ASSERT_EQ(viewed.line_classes(line), searched(expected));
          ASSERT_EQ(places<true>(viewed, line), searched_places(line, kMarks));
        }
        ++count;
      }
      EXPECT_FALSE(viewed.read_line_view(line, scratch, max_len));
      EXPECT_TRUE(line.empty());
      EXPECT_GE(count, 240);
    }
  }
}

TEST(TextReaderWatch, SkippingLeavesExactlyTheMarkedLines) {
  // Passing over lines without ":" or "=" (skip_unmarked_lines before each
  // read, or read_marked_line) leaves the lines (and pieces of long lines)
  // that hold one, in order, across refills, CR LF lines, lone CRs, a line
  // pushed back and a Ctrl-Z.
  std::string data;
  for (int round = 0; round < 25; ++round) {
    data += "plain\nFrom: a\nbody <b>\nx=1\r\nmore\r\n\nlone\rcr:\n";
    data += std::string(static_cast<std::size_t>(round * 13), 'w') + ":" +
            std::string(static_cast<std::size_t>(round * 5), 'v') + "\n";
    data += std::string(static_cast<std::size_t>(round * 9), 'u') + "\n";
  }
  data += "last: x\nplain\ny\x1a\nafter the end\nx: y\n";
  for (std::size_t buffer_size : {16u, 53u, 4096u}) {
    for (std::size_t max_len : {7u, 32768u}) {
      StringSource all_source(data);
      TextReader all(buffer_size);
      all.index_bytes(kMarks, kOdd);
      all.reset(&all_source);
      std::vector<std::string> expected;
      std::string line;
      while (all.read_line(line, max_len)) {
        if ((all.line_classes(line) & TextReader::kHoldsMark) != 0) expected.push_back(line);
      }
      for (const bool in_one_step : {false, true}) {
        StringSource skip_source(data);
        TextReader skipping(buffer_size);
        skipping.index_bytes(kMarks, kOdd);
        skipping.reset(&skip_source);
        std::vector<std::string> kept;
        std::string scratch;
        std::string_view view;
        for (;;) {
          unsigned classes = 0;
          if (in_one_step) {
            if (!skipping.read_marked_line(view, scratch, max_len, classes)) break;
            ASSERT_EQ(classes, searched(view));
          } else {
            skipping.skip_unmarked_lines();
            if (!skipping.read_line_view(view, scratch, max_len)) break;
            classes = skipping.line_classes(view);
          }
          if ((classes & TextReader::kHoldsMark) == 0) continue;
          kept.emplace_back(view);
          if (kept.size() % 5 == 0) {
            const std::string copy = kept.back();
            skipping.push_back(copy);
            ASSERT_TRUE(skipping.read_line_view(view, scratch, max_len));
            ASSERT_EQ(view, copy);
          }
        }
        EXPECT_EQ(kept, expected) << "buffer " << buffer_size << " max " << max_len;
      }
      EXPECT_GE(expected.size(), 100u);
    }
  }
}

// Records the lines it is shown, and lets go after `wanted` of them.
struct Recorder : LineObserver {
  std::vector<std::string> seen;
  std::size_t wanted = 0;
  bool see(std::string_view line) override {
    seen.emplace_back(line);
    return seen.size() < wanted;
  }
};

TEST(TextReaderObserver, SeesEachLineOnceInOrderAndNothingIsSkippedMeanwhile) {
  // Read as the scanner reads: skipping lines without ":" or "=", viewing
  // lines in place, copying some, pushing some back.
  std::string data;
  for (int round = 0; round < 25; ++round) {
    data += "plain\nFrom: a\n continued\r\nx=1\n\nlone\rcr:\n";
    data += std::string(static_cast<std::size_t>(round * 13), 'w') + "\n";
  }
  data += "last: x\ny\x1a\nafter the end\n";
  for (std::size_t buffer_size : {16u, 53u, 4096u}) {
    for (std::size_t max_len : {7u, 32768u}) {
      StringSource all_source(data);
      TextReader all_reader(buffer_size);
      all_reader.reset(&all_source);
      std::vector<std::string> all;
      std::string line;
      while (all_reader.read_line(line, max_len)) all.push_back(line);
      for (const std::size_t wanted : {std::size_t{1}, std::size_t{40}, all.size() + 1}) {
        SCOPED_TRACE(testing::Message() << "buffer " << buffer_size << " max " << max_len
                                        << " wanted " << wanted);
        StringSource source(data);
        TextReader reader(buffer_size);
        reader.index_bytes(":=", std::string_view("\0<", 2));
        reader.reset(&source);
        Recorder recorder;
        recorder.wanted = wanted;
        reader.observe(&recorder);
        std::string scratch;
        std::string_view view;
        std::size_t count = 0;
        for (;; ++count) {
          reader.skip_unmarked_lines();
          if (count % 3 == 0) {
            if (!reader.read_line(line, max_len)) break;
            view = line;
          } else if (!reader.read_line_view(view, scratch, max_len)) {
            break;
          }
          if (count % 4 == 0) {
            reader.push_back(view);
            ASSERT_TRUE(reader.read_line_view(view, scratch, max_len));
          }
        }
        const std::size_t shown = std::min(wanted, all.size());
        EXPECT_EQ(recorder.seen, std::vector<std::string>(all.begin(), all.begin() + shown));
        // Skipping resumes once the observer lets go.
        EXPECT_EQ(count == all.size(), wanted > all.size()) << count << " of " << all.size();
        // A new source starts without an observer.
        StringSource again("a\nb\n");
        reader.reset(&again);
        while (reader.read_line(line, max_len)) {
        }
        EXPECT_EQ(recorder.seen.size(), shown);
      }
    }
  }
}

}  // namespace
}  // namespace mailsift
