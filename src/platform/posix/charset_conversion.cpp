// Character set conversion with iconv from the C library.
#include <errno.h>
#include <iconv.h>

#include <array>

#include "platform/charsets.h"

namespace mailsift::platform {

namespace {

// The iconv name of each character set, in the order of Charset.
constexpr const char* kIconvNames[kCharsetCount] = {
    nullptr,       "UTF-8",       "US-ASCII",    "ISO-8859-1",  "ISO-8859-2",  "ISO-8859-3",
    "ISO-8859-4",  "ISO-8859-5",  "ISO-8859-6",  "ISO-8859-7",  "ISO-8859-8",  "ISO-8859-9",
    "ISO-8859-10", "ISO-8859-11", "ISO-8859-13", "ISO-8859-14", "ISO-8859-15", "ISO-8859-16",
    "CP1250",      "CP1251",      "CP1252",      "CP1253",      "CP1254",      "CP1255",
    "CP1256",      "CP1257",      "CP1258",      "KOI8-R",      "KOI8-U",      "GBK",
    "GB18030",     "CP950",       "CP932",       "EUC-JP",      "ISO-2022-JP", "CP949",
};

const iconv_t kNotOpened = reinterpret_cast<iconv_t>(-1);

// One thread's converters, opened on first use (opening one is slow) and
// closed when the thread ends. A character set the C library cannot convert
// is remembered too, so it is not asked again.
class Converters {
 public:
  Converters() { opened_.fill(kNotOpened); }
  ~Converters() {
    for (iconv_t cd : opened_) {
      if (cd != kNotOpened) ::iconv_close(cd);
    }
  }
  Converters(const Converters&) = delete;
  Converters& operator=(const Converters&) = delete;

  iconv_t get(Charset charset) {
    const auto i = static_cast<std::size_t>(charset);
    if (!tried_[i]) {
      tried_[i] = true;
      opened_[i] = ::iconv_open("UTF-8", kIconvNames[i]);
    }
    return opened_[i];
  }

 private:
  std::array<iconv_t, kCharsetCount> opened_{};
  std::array<bool, kCharsetCount> tried_{};
};

thread_local Converters converters;

}  // namespace

bool decode_charset(Charset charset, std::string_view bytes, std::string& utf8_out) {
  if (charset == Charset::kUnknown) return false;
  const iconv_t cd = converters.get(charset);
  if (cd == kNotOpened) return false;
  if (bytes.empty()) return true;
  ::iconv(cd, nullptr, nullptr, nullptr, nullptr);  // back to the initial state

  const std::size_t start = utf8_out.size();
  // Room for the usual case: no byte of these character sets yields more than
  // three bytes of UTF-8. Grown when a conversion needs more all the same.
  utf8_out.resize(start + bytes.size() * 3 + 16);
  char* in = const_cast<char*>(bytes.data());
  std::size_t in_left = bytes.size();
  std::size_t written = 0;
  bool flushing = false;
  for (;;) {
    char* out = utf8_out.data() + start + written;
    std::size_t out_left = utf8_out.size() - start - written;
    const std::size_t room = out_left;
    // After the input, one more call returns a stateful encoding to its
    // initial state and writes what that takes.
    const std::size_t result = flushing ? ::iconv(cd, nullptr, nullptr, &out, &out_left)
                                        : ::iconv(cd, &in, &in_left, &out, &out_left);
    written += room - out_left;
    if (result != static_cast<std::size_t>(-1)) {
      if (flushing) break;
      flushing = true;
      continue;
    }
    if (errno != E2BIG) {  // an invalid or incomplete sequence
      utf8_out.resize(start);
      return false;
    }
    utf8_out.resize(utf8_out.size() + bytes.size() + 64);
  }
  utf8_out.resize(start + written);
  return true;
}

}  // namespace mailsift::platform
