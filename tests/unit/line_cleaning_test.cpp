#include "scan/line_cleaning.h"

#include <gtest/gtest.h>

#include <string>

#include "header_scan_util.h"

namespace mailsift {
namespace {

std::string cleaned(std::string line) {
  clean_line(line);
  return line;
}

TEST(CleanLineView, CleansAsTheCopyingCleanerDoes) {
  using namespace std::string_literals;
  const std::string lines[] = {"plain text\n"s,
                               "<b>From:</b> Jane<br>\n"s,
                               "From: Jane <jane@x.org>\n"s,
                               "x\0y<br>:\n"s,
                               ">>>> quoted: line here\n"s,
                               "** > short\n"s,
                               "*>*>*>*> \tdeep = quote\n"s,
                               "\n"s,
                               ""s,
                               "no end"s,
                               "a <b"s,
                               ">\0>>>>>>>>>>> x\n"s,
                               "<B>> > > > > > a\n"s};
  for (const std::string& line : lines) {
    std::string copy = line;
    clean_line(copy);
    bool changed = false;
    for (std::size_t at = 0; at < line.size(); ++at) changed = changed || changes_at(line, at);
    std::string scratch = "left over";
    EXPECT_EQ(clean_line_view(line, scratch, changed), copy) << line;
    // Cleaning in place is right exactly when nothing changes bytes.
    EXPECT_EQ(changed, clean_line_view(line, scratch, false) != copy) << line;
  }
}

TEST(FindText, CaseInsensitiveLeftmostWithEndOfLineRule) {
  EXPECT_EQ(find_text("see ATTACHMENT: yes", "Attachment:"), 4u);
  EXPECT_EQ(find_text("a name= b name= c", "name="), 2u);
  // A match that ends on the last character is not found.
  EXPECT_EQ(find_text("foo X-Attachments:", "X-Attachments:"), kNotFound);
  EXPECT_EQ(find_text("foo X-Attachments: ", "X-Attachments:"), 4u);
  // A search text as long as the line is never found.
  EXPECT_EQ(find_text("Content-Type:", "Content-Type:"), kNotFound);
  EXPECT_EQ(find_text("Content-Type:x", "Content-Type:"), 0u);
  EXPECT_EQ(find_text("", "["), kNotFound);
  EXPECT_EQ(find_text("[", "["), kNotFound);
  EXPECT_EQ(find_text("[x", "["), 0u);
  EXPECT_EQ(find_text("ab]", "]"), kNotFound);
  // Only ASCII letters fold; other bytes compare exactly.
  EXPECT_EQ(find_text("\xC1\xE1x", "\xE1"), 1u);
  EXPECT_EQ(find_text("@x", "`"), kNotFound);
}

// The one-pass search finds exactly what a search per text finds, on lines
// built from pieces of the texts at every offset around the sixteen-byte
// steps, with the texts at the very end and cut short.
TEST(SearchTextSet, FindsWhatFindTextFinds) {
  static constexpr SearchText kTexts[] = {"Mapi-Hasattach:", "Attachment:", "name=Attach",
                                          "filename=\"", "Content-Type: message", ":x", "=:"};
  static constexpr SearchTextSet kSet(kTexts);
  const std::string pieces[] = {"mapi-HASATTACH:", "Attachment:", "Attachment",  "NAME=attach",
                                "filename=\"",     "content-type: MESSAGE", "-", ":", "=", "X"};
  int found = 0;
  for (std::size_t pad = 0; pad < 20; ++pad) {
    for (const std::string& a : pieces) {
      for (const std::string& b : pieces) {
        for (const std::string& tail : {std::string(), std::string("x")}) {
          const std::string line = std::string(pad, ' ') + a + b + tail;
          unsigned expected = 0;
          for (std::size_t i = 0; i < std::size(kTexts); ++i) {
            if (find_text(line, kTexts[i]) != kNotFound) expected |= 1u << i;
          }
          ASSERT_EQ(kSet.holds(line), expected) << '"' << line << '"';
          // The same with the places of ":" and "=" given, last first.
          auto marks = [&line](auto visit) {
            for (std::size_t i = line.size(); i-- > 0;) {
              if (line[i] == ':' || line[i] == '=') visit(i);
            }
          };
          ASSERT_EQ(kSet.holds_at_marks(line, marks), expected) << '"' << line << '"';
          found += expected != 0;
        }
      }
    }
  }
  EXPECT_GT(found, 1000);
}

TEST(StripTags, RemovesBrAndBoldInAnyCaseWithoutRescanning) {
  EXPECT_EQ(cleaned("<b>From:</b> Jane Doe<br>\n"), "From: Jane Doe");
  EXPECT_EQ(cleaned("<B>x</B><BR><bR>y\n"), "xy");
  // A tag formed by a removal stays.
  EXPECT_EQ(cleaned("<<b>br>z\n"), "<br>z");
  EXPECT_EQ(cleaned("<b<b>>\n"), "<b>");
  // A tag at the very end of the line goes too.
  std::string line = "a<br>";
  strip_tags(line);
  EXPECT_EQ(line, "a");
  EXPECT_EQ(cleaned("<bx> <br <i>\n"), "<bx> <br <i>");
}

TEST(CleanLine, LastCharacterQuoteMarksAndNul) {
  EXPECT_EQ(cleaned(""), "");
  EXPECT_EQ(cleaned("\n"), "");
  // Only a line feed goes: a last line without one keeps every character.
  EXPECT_EQ(cleaned("Subject: Hello"), "Subject: Hello");
  EXPECT_EQ(cleaned("> From: Jane Doe\n"), "From: Jane Doe");
  EXPECT_EQ(cleaned(">From: a\n"), ">From: a");  // 8 characters: unchanged
  EXPECT_EQ(cleaned("**Subject: hi there\n"), "Subject: hi there");
  EXPECT_EQ(cleaned(">> >\tquoted text\n"), ">\tquoted text");
  EXPECT_EQ(cleaned("*>*>*\tab cd ef\n"), "ab cd ef");
  EXPECT_EQ(cleaned("123456789\n"), "123456789");
  // Exactly 10 characters after the line end is gone: stripped.
  EXPECT_EQ(cleaned(">123456789\n"), "123456789");
  // A NUL ends the text, which keeps every character before it.
  EXPECT_EQ(cleaned(std::string("Subject: ab\0cd\n", 15)), "Subject: ab");
  EXPECT_EQ(cleaned(std::string("\0x\n", 3)), "");
}

TEST(CleanLine, MapiHasattachSwitchesContentTypeNames) {
  using test::record_of;
  EXPECT_FALSE(record_of("Mapi-Hasattach: True\n").attach_by_content_type);
  EXPECT_TRUE(record_of("Mapi-Hasattach: False\n").attach_by_content_type);
  EXPECT_TRUE(record_of("Mapi-Hasattach: true\n").attach_by_content_type);
  EXPECT_TRUE(record_of("x-mapi-hasattach: yes\n").attach_by_content_type);
  // "Mapi-Hasattach:" ending the cleaned line is not found.
  EXPECT_FALSE(record_of("Mapi-Hasattach:\n").attach_by_content_type);
  // Once set it stays, even after a "True" line.
  EXPECT_TRUE(record_of("Mapi-Hasattach: 1\nMapi-Hasattach: True\n").attach_by_content_type);
  EXPECT_FALSE(record_of("Mapi-Hasattach: Truer\n").attach_by_content_type);
}

}  // namespace
}  // namespace mailsift
