#include "walk/match_pattern.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <random>
#include <string>

#include "util/characters.h"

namespace mailsift {
namespace {

// The exclusion rules transcribed step by step, byte by byte, recursion and
// all: slow on purpose, the yardstick for the real matcher on ASCII input.
bool reference_match(const char* p, const char* t) {
  for (;;) {
    const char c = *p;
    if (c == '\0') return *t == '\0';
    if (c == '?') {
      if (*t == '\0') return false;
      ++p;
      ++t;
      continue;
    }
    if (c == '\\') {
      if (p[1] == '\0' || p[1] != *t) return false;
      p += 2;
      ++t;
      continue;
    }
    if (c == '*') {
      ++p;
      while (*p == '*' || *p == '?') {
        if (*p == '?') {
          if (*t == '\0') return false;
          ++t;
        }
        ++p;
      }
      if (*p == '\0') return true;
      const char key = *p;
      const char look = key == '\\' ? p[1] : key;
      for (const char* s = t; *s != '\0'; ++s) {
        if ((key == '[' || *s == look) && reference_match(p, s)) return true;
      }
      return false;
    }
    if (c == '[') {
      if (*t == '\0') return false;
      ++p;
      bool negated = false;
      if (*p == '!' || *p == '^') {
        negated = true;
        ++p;
      }
      bool first = true;
      bool member = false;
      for (;;) {
        if (*p == '\0') return false;
        if (*p == ']' && !first) {
          ++p;
          break;
        }
        first = false;
        if (*p == '\\' && *++p == '\0') return false;
        const unsigned char low = static_cast<unsigned char>(*p++);
        unsigned char high = low;
        if (*p == '-' && p[1] != ']') {
          ++p;
          if (*p == '\0') return false;
          if (*p == '\\' && *++p == '\0') return false;
          high = static_cast<unsigned char>(*p++);
        }
        const unsigned char tc = static_cast<unsigned char>(*t);
        if (tc >= low && tc <= high) {
          for (;;) {
            if (*p == '\0') return false;
            if (*p == ']') {
              ++p;
              break;
            }
            if (*p == '\\' && *++p == '\0') return false;
            ++p;
          }
          member = true;
          break;
        }
      }
      if (member == negated) return false;
      ++t;
      continue;
    }
    if (c != *t) return false;
    ++p;
    ++t;
  }
}

bool excludes(const std::string& pattern, const std::string& name) {
  return match_pattern_upper_text(pattern, name);
}

TEST(MatchPattern, ExclusionExamples) {
  EXPECT_TRUE(excludes("*.TMP", "a.TMP"));
  EXPECT_TRUE(excludes("*.TMP", "b.tmp"));
  EXPECT_FALSE(excludes("*.TMP", "b.tmpx"));
  EXPECT_TRUE(excludes("*.*", "a.b"));
  EXPECT_FALSE(excludes("*.*", "README"));
  EXPECT_TRUE(excludes("*", "anything at all"));
  EXPECT_TRUE(excludes("*", ""));
  // [!A]* keeps only names that begin with a or A.
  EXPECT_FALSE(excludes("[!A]*", "apple"));
  EXPECT_FALSE(excludes("[!A]*", "Apple"));
  EXPECT_TRUE(excludes("[!A]*", "banana"));
  EXPECT_TRUE(excludes("A*B", "ab"));
  EXPECT_TRUE(excludes("A*B", "axxb"));
  EXPECT_FALSE(excludes("A*B", "abx"));
  for (const char* name : {"ab", "axxb", "abx", "a", "b", "abab", "aab"}) {
    EXPECT_EQ(excludes("A**B", name), excludes("A*B", name)) << name;
  }
  EXPECT_TRUE(excludes("A*?B", "axb"));
  EXPECT_FALSE(excludes("A*?B", "ab"));
  EXPECT_FALSE(excludes("A\\", "a\\"));
  EXPECT_FALSE(excludes("\\", "\\"));
  EXPECT_FALSE(excludes("\\", ""));
}

TEST(MatchPattern, SetsEscapesAndRanges) {
  EXPECT_TRUE(match_pattern("[]]", "]"));
  EXPECT_FALSE(match_pattern("[]]", "a"));
  EXPECT_TRUE(match_pattern("[!]]", "a"));
  EXPECT_FALSE(match_pattern("[!]]", "]"));
  EXPECT_TRUE(match_pattern("[^a]", "b"));
  EXPECT_FALSE(match_pattern("[^a]", "a"));
  EXPECT_TRUE(match_pattern("[a-c]", "b"));
  EXPECT_FALSE(match_pattern("[a-c]", "d"));
  EXPECT_TRUE(match_pattern("[c-a]x", "") == false);
  EXPECT_FALSE(match_pattern("[c-a]", "b"));  // an upside-down range holds nothing
  EXPECT_TRUE(match_pattern("[a-]", "-"));    // "-" before "]" is a member
  EXPECT_TRUE(match_pattern("[a-]", "a"));
  EXPECT_FALSE(match_pattern("[a-", "a"));     // the pattern ends inside the range
  EXPECT_FALSE(match_pattern("[ab", "a"));     // nor may it end inside the set
  EXPECT_TRUE(match_pattern("[A-\\]]", "]"));  // escaped range end
  EXPECT_TRUE(match_pattern("[A-\\]]", "Q"));
  EXPECT_FALSE(match_pattern("[a-\\]]", "]"));  // a to "]" runs backwards
  EXPECT_TRUE(match_pattern("[\\!]", "!"));
  EXPECT_TRUE(match_pattern("\\*", "*"));
  EXPECT_FALSE(match_pattern("\\*", "a"));
  EXPECT_TRUE(match_pattern("*\\*", "ab*"));
  EXPECT_TRUE(match_pattern("*[0-9]", "abc7"));
  EXPECT_FALSE(match_pattern("*[0-9]", "abc"));
  EXPECT_FALSE(match_pattern("[a]", ""));
  EXPECT_FALSE(match_pattern("?", ""));
  EXPECT_TRUE(match_pattern("", ""));
  EXPECT_FALSE(match_pattern("", "a"));
  EXPECT_FALSE(match_pattern("*?", ""));
  EXPECT_TRUE(match_pattern("*??", "ab"));
  // Exact comparison: case folding is the exclusion test's business.
  EXPECT_FALSE(match_pattern("A", "a"));
  EXPECT_TRUE(match_pattern_upper_text("A", "a"));
  EXPECT_FALSE(match_pattern_upper_text("a", "a"));
}

TEST(MatchPattern, WorksOnCharacters) {
  const std::string e_acute = "\xC3\xA9";  // U+00E9
  EXPECT_TRUE(match_pattern("?", e_acute));
  EXPECT_FALSE(match_pattern("??", e_acute));
  EXPECT_TRUE(match_pattern("[\xC3\xA0-\xC3\xBC]", e_acute));  // U+00E0 .. U+00FC
  EXPECT_FALSE(match_pattern("[a-z]", e_acute));
  EXPECT_TRUE(match_pattern("*" + e_acute, "caf" + e_acute));
  // A stray byte is one character, and equals only itself.
  EXPECT_TRUE(match_pattern("a?b",
                            "a\xFF"
                            "b"));
  EXPECT_FALSE(
      match_pattern("a\xFE"
                    "b",
                    "a\xFF"
                    "b"));
  EXPECT_TRUE(match_pattern("?", "\xC3"));            // cut-off sequence: one byte
  EXPECT_TRUE(match_pattern("??", "\xC3\x28"));       // bad continuation: two characters
  EXPECT_TRUE(match_pattern("??", "\xC0\xAF"));       // overlong form: two bytes
  EXPECT_FALSE(match_pattern("[\xC3\xA9]", "\xC3"));  // a stray lead byte is not U+00E9
  EXPECT_EQ(count_characters("caf\xC3\xA9"), 4u);
  EXPECT_EQ(count_characters("\xFF\xFE"), 2u);
  EXPECT_EQ(count_characters("\xF0\x9F\x93\xA7"), 1u);
  EXPECT_EQ(count_characters("\xED\xA0\x80"), 3u);  // an encoded surrogate is three strays
}

std::string random_string(std::mt19937& rng, const std::string& alphabet, std::size_t max_len) {
  std::uniform_int_distribution<std::size_t> len(0, max_len);
  std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
  std::string s(len(rng), ' ');
  for (char& c : s) c = alphabet[pick(rng)];
  return s;
}

TEST(MatchPattern, AgreesWithTheRulesOnGeneratedPairs) {
  std::mt19937 rng(20261207);
  const std::string pattern_chars = "ab*?[]!^-\\";
  const std::string text_chars = "ab]-!\\[";
  int matches = 0;
  for (int i = 0; i < 300000; ++i) {
    const std::string pattern = random_string(rng, pattern_chars, 9);
    const std::string text = random_string(rng, text_chars, 7);
    const bool expected = reference_match(pattern.c_str(), text.c_str());
    ASSERT_EQ(match_pattern(pattern, text), expected)
        << "pattern '" << pattern << "' text '" << text << "'";
    matches += expected;
  }
  // The generator must exercise both outcomes to mean anything.
  EXPECT_GT(matches, 8000);
}

TEST(MatchPattern, ManyStarsAgainstALongNameAnswerAtOnce) {
  std::string pattern;
  for (int i = 0; i < 15; ++i) pattern += "*A";
  pattern += "B";  // 31 characters, never matches a name of only a's
  const std::string name(255, 'a');
  const std::string sample = "a" + std::string(200, 'x') + "b";
  auto best = std::chrono::nanoseconds::max();
  for (int round = 0; round < 5; ++round) {
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(match_pattern_upper_text(pattern, name));
    best = std::min(best, std::chrono::steady_clock::now() - start);
  }
  EXPECT_LT(best, std::chrono::milliseconds(1));
  EXPECT_TRUE(match_pattern_upper_text("*A*B", sample));
  // Longer than the stack storage: same answers from heap storage.
  const std::string long_name = std::string(5000, 'a') + "b";
  EXPECT_TRUE(match_pattern("*a*a*b", long_name));
  EXPECT_FALSE(match_pattern("*a*a*c", long_name));
}

// "*" any run, "?" one byte, letters without case: plain recursion.
bool reference_name_match(const char* p, const char* t) {
  if (*p == '\0') return *t == '\0';
  if (*p == '*')
    return reference_name_match(p + 1, t) || (*t != '\0' && reference_name_match(p, t + 1));
  if (*t == '\0') return false;
  if (*p != '?' && std::toupper(static_cast<unsigned char>(*p)) !=
                       std::toupper(static_cast<unsigned char>(*t))) {
    return false;
  }
  return reference_name_match(p + 1, t + 1);
}

TEST(MatchNamePattern, AgreesWithPlainRecursion) {
  std::mt19937 rng(7);
  int matches = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::string pattern = random_string(rng, "aB*?.", 8);
    const std::string name = random_string(rng, "Ab.", 8);
    if (pattern == "*.*") continue;
    const bool expected = reference_name_match(pattern.c_str(), name.c_str());
    ASSERT_EQ(match_name_pattern(pattern, name), expected) << pattern << " / " << name;
    matches += expected;
  }
  EXPECT_GT(matches, 5000);
}

TEST(MatchNamePattern, DirectorySearchMeaning) {
  EXPECT_TRUE(match_name_pattern("*.*", "README"));
  EXPECT_TRUE(match_name_pattern("*.*", "a.eml"));
  EXPECT_TRUE(match_name_pattern("*", ".hidden"));
  EXPECT_TRUE(match_name_pattern("*.eml", "X.EML"));
  EXPECT_TRUE(match_name_pattern("*.EML", "x.eml"));
  EXPECT_FALSE(match_name_pattern("*.eml", "x.emlx"));
  EXPECT_FALSE(match_name_pattern("*.eml", "eml"));
  EXPECT_TRUE(match_name_pattern("inbox.eml", "INBOX.eml"));
  EXPECT_TRUE(match_name_pattern("?.eml", "\xC3\xA9.eml"));
  EXPECT_FALSE(match_name_pattern("??.eml", "\xC3\xA9.eml"));
  EXPECT_FALSE(match_name_pattern("\xC3\xA9.eml", "\xC3\x89.eml"));  // only ASCII folds
  EXPECT_TRUE(match_name_pattern("a*b*c", "aXbYbZc"));
  EXPECT_FALSE(match_name_pattern("a*b*c", "aXbYbZ"));
  EXPECT_TRUE(match_name_pattern("[a]", "[A]"));  // brackets are plain characters here
  EXPECT_FALSE(match_name_pattern("", "a"));
  EXPECT_TRUE(match_name_pattern("**", ""));
  // Each "?" takes one character, also a stray byte.
  EXPECT_TRUE(match_name_pattern("a?", "a\xFF"));
  const std::string long_name(100000, 'a');
  EXPECT_FALSE(match_name_pattern("*a*a*a*a*a*b", long_name));
}

}  // namespace
}  // namespace mailsift
