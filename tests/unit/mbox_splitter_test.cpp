#include "util/mbox_splitter.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

namespace mailsift {

void PrintTo(const MboxMessage& m, std::ostream* os) {
  *os << "{" << m.separator << ", " << m.start << ", " << m.end << "}";
}

namespace {

using Messages = std::vector<MboxMessage>;

// Splits `text` fed in windows that end at the offsets in `cuts` (and at its
// end), checking at each window that what is said of the open message holds
// for it once it has ended.
Messages split(std::string_view text, const std::vector<std::size_t>& cuts) {
  MboxSplitter splitter;
  Messages out;
  Messages open_views;  // {separator, start, settled end} of each started open message
  MboxMessage m;
  std::size_t at = 0;
  auto feed_to = [&](std::size_t to) {
    splitter.feed(text.substr(at, to - at));
    at = to;
    while (splitter.next(m)) out.push_back(m);
    if (splitter.open_started()) {
      open_views.push_back(
          {splitter.open_separator(), splitter.open_start(), splitter.open_settled_end()});
    }
  };
  for (std::size_t cut : cuts) feed_to(cut);
  feed_to(text.size());
  if (splitter.finish(m)) out.push_back(m);
  EXPECT_FALSE(splitter.in_message());
  for (const MboxMessage& view : open_views) {
    bool found = false;
    for (const MboxMessage& done : out) {
      if (done.separator != view.separator) continue;
      found = true;
      EXPECT_EQ(view.start, done.start) << "open message at " << view.separator;
      EXPECT_LE(view.end, done.end) << "settled end of the message at " << view.separator;
    }
    EXPECT_TRUE(found) << "open message at " << view.separator << " never ended";
  }
  return out;
}

struct Case {
  const char* name;
  std::string text;
  Messages want;
};

// The boundaries Python's mailbox.mbox gives for each text.
const Case kCases[] = {
    {"empty line before separator", "From a\nx\n\nFrom b\ny\n", {{0, 7, 9}, {10, 17, 19}}},
    {"crlf empty line stays", "From a\r\nx\r\n\r\nFrom b\r\n", {{0, 8, 13}, {13, 21, 21}}},
    {"lf after cr line", "From a\nx\r\n\nFrom b\n\r\n", {{0, 7, 10}, {11, 18, 20}}},
    {"one final empty line dropped", "From a\nx\n\n\n", {{0, 7, 10}}},
    {"two empty lines before separator", "From a\nx\n\n\nFrom b\n", {{0, 7, 10}, {11, 18, 18}}},
    {"empty messages", "From a\n\nFrom b\n\n", {{0, 7, 7}, {8, 15, 15}}},
    {"adjacent separators", "From a\nFrom b\n", {{0, 7, 7}, {7, 14, 14}}},
    {"separator without lf", "From abc", {{0, 8, 8}}},
    {"broken separator at end", "From a\n\nFrom", {{0, 7, 12}}},
    {"text before first separator", "pre\nFrom a\nx", {{4, 11, 12}}},
    {"empty line before first separator", "\nFrom a", {{1, 7, 7}}},
    {"quoted from", "From a\n>From b\n", {{0, 7, 15}}},
    {"lone cr ends no line", "From a\r\rFrom b", {{0, 14, 14}}},
    {"no separator", "\nFrom\nfrom x\n", {}},
    {"empty", "", {}},
    // Long enough for the search to take sixteen positions at a step.
    {"long lines",
     "From a\n" + std::string(30, 'x') + "\n\nFrom b\nFrom: q\nFrOm \n" + std::string(25, 'y') +
         "\nFrom c\n\n\n",
     {{0, 7, 38}, {39, 46, 86}, {86, 93, 94}}},
};

TEST(MboxSplitter, EveryWindowSize) {
  for (const Case& c : kCases) {
    for (std::size_t size = 1; size <= c.text.size() + 1; ++size) {
      std::vector<std::size_t> cuts;
      for (std::size_t at = size; at < c.text.size(); at += size) cuts.push_back(at);
      EXPECT_EQ(split(c.text, cuts), c.want) << c.name << ", windows of " << size;
    }
  }
}

TEST(MboxSplitter, EveryCutAndEmptyWindows) {
  // Two windows cut at every offset splits each separator, each CR LF pair
  // and each empty line before a separator; a cut given twice feeds an empty
  // window there.
  for (const Case& c : kCases) {
    for (std::size_t cut = 0; cut <= c.text.size(); ++cut) {
      EXPECT_EQ(split(c.text, {cut}), c.want) << c.name << ", cut at " << cut;
      EXPECT_EQ(split(c.text, {cut, cut}), c.want) << c.name << ", empty window at " << cut;
    }
  }
}

TEST(MboxSplitter, LongMessageSettlesWhileItIsRead) {
  // A message spread over many windows: what is settled grows with each one,
  // up to five bytes short of what has been fed.
  std::string text = "From a\n";
  for (int i = 0; i < 200; ++i) text += "line of the body\n";
  text += "\nFrom b\n";
  MboxSplitter splitter;
  MboxMessage m;
  for (std::size_t at = 0; at + 64 <= 7 + 200 * 17; at += 64) {
    splitter.feed(std::string_view(text).substr(at, 64));
    ASSERT_FALSE(splitter.next(m));
    ASSERT_TRUE(splitter.open_started());
    EXPECT_EQ(splitter.open_settled_end(), std::max<std::uint64_t>(7, at + 64 - 5));
  }
}

TEST(MboxSplitter, BeginsMbox) {
  const struct {
    std::string_view head;
    bool want;
  } cases[] = {{"From a@b Mon", true}, {"From ", true},    {"From", false},  {">From a", false},
               {"\nFrom a", false},    {"from a", false},  {"From\ta", false}, {"", false}};
  for (const auto& c : cases) EXPECT_EQ(begins_mbox(c.head), c.want) << c.head;
}

}  // namespace
}  // namespace mailsift
