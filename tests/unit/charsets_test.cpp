// Character set names and their conversion through the platform.
#include "platform/charsets.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

namespace mailsift::platform {

#ifdef _WIN32
// The character sets this Windows has no code page for (tests/windows).
bool windows_lacks(Charset charset);
#endif

namespace {

bool converts_here(Charset charset) {
#ifdef _WIN32
  return !windows_lacks(charset);
#else
  (void)charset;
  return true;
#endif
}

TEST(CharsetNames, AliasesInAnySpelling) {
  const struct {
    const char* name;
    Charset charset;
  } cases[] = {
      {"UTF-8", Charset::kUtf8},
      {"utf8", Charset::kUtf8},
      {"us-ascii", Charset::kUsAscii},
      {"ANSI_X3.4-1968", Charset::kUsAscii},
      {"Latin1", Charset::kIso8859_1},
      {"ISO_8859-1", Charset::kIso8859_1},
      {"iso8859-15", Charset::kIso8859_15},
      {"ISO-8859-11", Charset::kIso8859_11},
      {"cp1252", Charset::kWindows1252},
      {"x-cp1250", Charset::kWindows1250},
      {"koi8-u", Charset::kKoi8U},
      {"GB2312", Charset::kGbk},
      {"x-sjis", Charset::kShiftJis},
      {"Windows-31J", Charset::kShiftJis},
      {"ks_c_5601-1987", Charset::kEucKr},
      {"big5", Charset::kBig5},
      {"iso-8859-12", Charset::kUnknown},
      {"utf-7", Charset::kUnknown},
      {"", Charset::kUnknown},
      {"iso-8859-1-and-a-much-longer-tail", Charset::kUnknown},
  };
  for (const auto& c : cases) EXPECT_EQ(charset_from_name(c.name), c.charset) << c.name;
  EXPECT_EQ(charset_name(Charset::kEucKr), "EUC-KR");
  EXPECT_EQ(charset_name(Charset::kIso8859_16), "ISO-8859-16");
}

struct Sample {
  const char* charset;
  std::string bytes;
  const char* utf8;
};

// One short text in every character set.
const std::vector<Sample>& samples() {
  static const std::vector<Sample> table = {
      {"utf-8", "\xC3\xA9", "é"},
      {"us-ascii", "plain", "plain"},
      {"iso-8859-1", "\xE9\xBD", "é½"},
      {"iso-8859-2", "\xA3\xBC", "Łź"},
      {"iso-8859-3", "\xA1\xF5", "Ħġ"},
      {"iso-8859-4", "\xD3\xFE", "Ķū"},
      {"iso-8859-5", "\xB6\xD6", "Жж"},
      {"iso-8859-6", "\xE5\xD1", "مر"},
      {"iso-8859-7", "\xCA\xE1\xEB\xE7", "Καλη"},
      {"iso-8859-8", "\xF9\xEC", "של"},
      {"iso-8859-9", "\xDD\xFE", "İş"},
      {"iso-8859-10", "\xDE\xBF", "Þŋ"},
      {"iso-8859-11", "\xCA\xC7\xD1\xCA", "สวัส"},
      {"iso-8859-13", "\xC0\xF8", "Ąų"},
      {"iso-8859-14", "\xD0\xFE", "Ŵŷ"},
      {"iso-8859-15", "\xA4\xBE", "€Ÿ"},
      {"iso-8859-16", "\xAA\xFE", "Șț"},
      {"windows-1250", "\xA3\x9F", "Łź"},
      {"windows-1251", "\xCF\xF0\xE8", "При"},
      {"windows-1252", "\x80\x93", "€“"},
      {"windows-1253", "\xD9\xF9", "Ωω"},
      {"windows-1254", "\xDD\xFE", "İş"},
      {"windows-1255", "\xA4\xF9", "₪ש"},
      {"windows-1256", "\x81\xE3", "پم"},
      {"windows-1257", "\xC0\xF8", "Ąų"},
      {"windows-1258", "\xD0\xFE", "Đ₫"},
      {"koi8-r", "\xF0\xD2\xC9\xD7\xC5\xD4", "Привет"},
      {"koi8-u", "\xAD\xA7", "ґї"},
      {"gb2312", "\xD5\xC5\xCE\xB0", "张伟"},
      {"gb18030", "\xD5\xC5\xCE\xB0\xA2\xE3", "张伟€"},
      {"big5", "\xB1\x69\xB0\xB6", "張偉"},
      {"shift_jis", "\x83\x65\x83\x58\x83\x67\x5C", "テスト\\"},
      {"euc-jp", "\xC6\xFC\xCB\xDC\xB8\xEC", "日本語"},
      {"iso-2022-jp", "\x1B\x24\x42\x46\x7C\x4B\x5C\x38\x6C\x1B\x28\x42", "日本語"},
      {"euc-kr", "\xBE\xC8\xB3\xE7", "안녕"},
  };
  return table;
}

TEST(CharsetConversion, EveryCharsetToUtf8) {
  ASSERT_EQ(samples().size(), static_cast<std::size_t>(kCharsetCount - 1));
  for (const Sample& s : samples()) {
    const Charset charset = charset_from_name(s.charset);
    std::string out = "kept:";
    const bool converted = decode_charset(charset, s.bytes, out);
    if (!converts_here(charset)) {
      EXPECT_FALSE(converted) << s.charset;
      EXPECT_EQ(out, "kept:") << s.charset;
      continue;
    }
    EXPECT_TRUE(converted) << s.charset;
    EXPECT_EQ(out, std::string("kept:") + s.utf8) << s.charset;
  }
}

TEST(CharsetConversion, FailuresLeaveTheOutputAlone) {
  const struct {
    const char* charset;
    std::string bytes;
  } cases[] = {
      {"no-such-charset", "abc"},
      {"utf-8", "\xC3"},  // cut short
      {"gbk", "\xD5"},    // a lead byte without its trail
      {"euc-jp", "\xC6\xFC\xFF"},
  };
  for (const auto& c : cases) {
    std::string out = "before";
    EXPECT_FALSE(decode_charset(c.charset, c.bytes, out)) << c.charset;
    EXPECT_EQ(out, "before") << c.charset;
  }
}

// Threads that convert at once each get their own converters.
TEST(CharsetConversion, ThreadsConvertAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> wrong(4, 0);
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t, &wrong] {
      for (int round = 0; round < 200; ++round) {
        const Sample& s = samples()[static_cast<std::size_t>(round + t) % samples().size()];
        const Charset charset = charset_from_name(s.charset);
        if (!converts_here(charset)) continue;
        std::string out;
        if (!decode_charset(charset, s.bytes, out) || out != s.utf8) ++wrong[t];
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong, std::vector<int>(4, 0));
}

}  // namespace
}  // namespace mailsift::platform
