// Windows path syntax, text conversion at the platform boundary and the
// entry order, without touching the disk.
#include "platform/path_syntax.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {
namespace {

TEST(WindowsPaths, AbsoluteFromCurrentDirectory) {
  struct Case {
    const char* cwd;
    const char* path;
    const char* absolute;
  };
  const Case cases[] = {
      {"C:\\work", "mail", "C:\\work\\mail"},
      {"C:\\work", "..\\x\\.\\y", "C:\\x\\y"},
      {"C:\\work", "D:\\a/b\\", "D:\\a\\b\\"},
      {"C:\\work", "\\top", "C:\\top"},
      {"C:\\work", "c:rel", "C:\\work\\rel"},
      {"C:\\work", "D:rel", "D:\\rel"},
      {"C:\\work", "C:\\", "C:\\"},
      {"C:\\work", "..\\..\\..", "C:\\"},
      {"C:\\work", "\\\\srv\\share\\a\\..\\b", "\\\\srv\\share\\b"},
      {"\\\\srv\\share\\d", "\\x", "\\\\srv\\share\\x"},
      {"C:\\work", "\\\\?\\C:\\a\\..", "\\\\?\\C:\\a\\.."},
  };
  for (const Case& c : cases) {
    std::string out;
    ASSERT_TRUE(make_absolute_from(c.cwd, c.path, out)) << c.path;
    EXPECT_EQ(out, c.absolute) << c.cwd << " + " << c.path;
  }
  std::string out;
  EXPECT_FALSE(make_absolute_from("C:\\w", std::string(kMaxPath, 'n'), out));
}

TEST(WindowsPaths, SplitSeparatorsAndStoredRoots) {
  struct Split {
    const char* path;
    const char* dir;
    const char* name;
  };
  const Split splits[] = {{"C:\\a\\b.eml", "C:\\a\\", "b.eml"},
                          {"C:b.eml", "C:", "b.eml"},
                          {"a/b", "a/", "b"},
                          {"name", "", "name"}};
  for (const Split& s : splits) {
    std::string dir, name;
    split_path(s.path, dir, name);
    EXPECT_EQ(dir, s.dir) << s.path;
    EXPECT_EQ(name, s.name) << s.path;
  }

  struct Trailing {
    const char* path;
    const char* dropped;
    const char* appended;
  };
  // A drive's root keeps its separator: "C:" alone is the drive's current
  // directory.
  const Trailing trailing[] = {{"C:\\", "C:\\", "C:\\"},
                               {"C:\\a\\", "C:\\a", "C:\\a\\"},
                               {"\\\\?\\D:\\", "\\\\?\\D:\\", "\\\\?\\D:\\"},
                               {"C:\\a/", "C:\\a", "C:\\a/"},
                               {"C:\\a", "C:\\a", "C:\\a\\"}};
  for (const Trailing& t : trailing) {
    std::string dropped = t.path, appended = t.path;
    drop_trailing_separator(dropped);
    append_separator(appended);
    EXPECT_EQ(dropped, t.dropped) << t.path;
    EXPECT_EQ(appended, t.appended) << t.path;
  }

  struct Stored {
    const char* absolute;
    const char* stored;
    const char* shown;
  };
  const Stored stored[] = {{"C:\\mail", "\\\\?\\C:\\mail", "C:\\mail"},
                           {"C:\\", "\\\\?\\C:\\", "C:\\"},
                           {"\\\\?\\C:\\x", "\\\\?\\C:\\x", "C:\\x"},
                           {"\\\\srv\\share\\m", "\\\\srv\\share\\m", "srv\\share\\m"}};
  for (const Stored& s : stored) {
    std::string path = s.absolute;
    add_long_path_prefix(path);
    EXPECT_EQ(path, s.stored);
    EXPECT_EQ(display_path(path), s.shown);
  }
  EXPECT_TRUE(standing_ini_places().empty());
}

TEST(WindowsPaths, OptionsAndRootComparison) {
  for (char c : {'-', '+', '/'}) EXPECT_TRUE(starts_option(c)) << c;
  for (char c : {'C', '\\', '.', '*'}) EXPECT_FALSE(starts_option(c)) << c;
  EXPECT_TRUE(same_path("\\\\?\\C:\\Mail", "\\\\?\\c:\\MAIL"));
  EXPECT_TRUE(same_path("\\\\?\\C:\\caf\xC3\xA9", "\\\\?\\C:\\CAF\xC3\x89"));
  EXPECT_FALSE(same_path("\\\\?\\C:\\mail", "\\\\?\\C:\\mail2"));
}

TEST(WindowsText, ConversionKeepsEveryName) {
  // Names with an unpaired surrogate must come back unchanged, or the file
  // could not be opened again by its name.
  const std::wstring names[] = {L"plain.eml", L"caf\u00E9", L"\U0001F600.eml",
                                std::wstring(L"a\xD800z"), std::wstring(L"\xDC00")};
  for (const std::wstring& name : names) {
    EXPECT_EQ(windows::to_wide(windows::to_utf8(name)), name);
  }
  EXPECT_EQ(windows::to_utf8(L"caf\u00E9"), "caf\xC3\xA9");
  // A byte that starts no sequence becomes the character of the same code.
  EXPECT_EQ(windows::to_wide("a\xFF"
                             "b\xC3"),
            std::wstring(L"a\xFF"
                         L"b\xC3"));
}

TEST(WindowsEntryOrder, UpperCasedUtf16Ordinal) {
  std::vector<std::string> names = {"b", "\xC3\xA9", "_x", "B", "Z", "a", "\xC3\x89", "e"};
  sort_entry_names(names);
  // "_" sorts after the letters once they are upper-cased; equal keys go by
  // their raw code units, so "B" before "b" and "É" before "é".
  EXPECT_EQ(names,
            (std::vector<std::string>{"a", "B", "b", "e", "Z", "_x", "\xC3\x89", "\xC3\xA9"}));
  EXPECT_TRUE(entry_name_less("abc", "ABD"));
  EXPECT_FALSE(entry_name_less("abd", "ABC"));
}

}  // namespace
}  // namespace mailsift::platform
