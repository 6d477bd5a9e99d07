// Which character sets this Windows converts. Windows has no code page for
// ISO-8859-10, -14 and -16; Wine lacks a few more that Windows has.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <string>

#include "platform/charsets.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {

// Used by tests/unit/charsets_test.cpp: a character set is lacking when not
// even plain ASCII text in it converts.
bool windows_lacks(Charset charset) {
  std::string out;
  return !decode_charset(charset, "a", out);
}

namespace {

bool under_wine() {
  const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
  return ntdll != nullptr && ::GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

TEST(WindowsCodePages, OnlyTheKnownGapsAreMissing) {
  std::set<Charset> lacking;
  std::string converted;
  for (int i = 1; i < kCharsetCount; ++i) {
    const auto charset = static_cast<Charset>(i);
    if (windows_lacks(charset)) {
      lacking.insert(charset);
    } else {
      converted += " " + std::string(charset_name(charset));
    }
  }
  std::set<Charset> allowed = {Charset::kIso8859_10, Charset::kIso8859_14, Charset::kIso8859_16};
  for (const Charset gap : allowed) EXPECT_TRUE(lacking.count(gap)) << charset_name(gap);
  if (under_wine()) {
    allowed.insert({Charset::kGb18030, Charset::kIso2022Jp});  // Wine 8 has no 54936 or 50220
  }
  std::string missing;
  for (const Charset charset : lacking) {
    missing += " " + std::string(charset_name(charset));
    EXPECT_TRUE(allowed.count(charset)) << charset_name(charset) << " does not convert";
  }
  std::printf("converted:%s\nnot converted:%s\n", converted.c_str(), missing.c_str());
}

}  // namespace
}  // namespace mailsift::platform
