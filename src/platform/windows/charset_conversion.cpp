// Character set conversion with the system's code pages: the bytes to UTF-16
// with MultiByteToWideChar, then to UTF-8 with WideCharToMultiByte.
#include <climits>

#include "platform/charsets.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {

namespace {

// The code page of each character set, in the order of Charset; 0 where
// Windows has none (ISO-8859-10, -14 and -16). ISO-8859-11 is read with
// code page 874, its superset.
constexpr UINT kCodePages[kCharsetCount] = {
    0,    65001, 20127, 28591, 28592, 28593, 28594, 28595, 28596, 28597, 28598, 28599,
    0,    874,   28603, 0,     28605, 0,     1250,  1251,  1252,  1253,  1254,  1255,
    1256, 1257,  1258,  20866, 21866, 936,   54936, 950,   932,   20932, 50220, 949,
};

// These code pages take no flags; the others are asked to fail on bytes that
// are not valid in them.
bool takes_no_flags(UINT code_page) {
  return code_page == 50220 || code_page == 50221 || code_page == 50222;
}

// Per thread, so that converting a word costs no allocation once it has grown.
thread_local std::wstring wide;

}  // namespace

bool decode_charset(Charset charset, std::string_view bytes, std::string& utf8_out) {
  const UINT code_page = kCodePages[static_cast<int>(charset)];
  if (code_page == 0) return false;
  if (bytes.size() > INT_MAX / 4) return false;
  const DWORD flags = takes_no_flags(code_page) ? 0 : MB_ERR_INVALID_CHARS;
  if (bytes.empty()) return ::IsValidCodePage(code_page) != 0;
  const int in_length = static_cast<int>(bytes.size());
  const int wide_length =
      ::MultiByteToWideChar(code_page, flags, bytes.data(), in_length, nullptr, 0);
  if (wide_length <= 0) return false;
  wide.resize(static_cast<std::size_t>(wide_length));
  if (::MultiByteToWideChar(code_page, flags, bytes.data(), in_length, wide.data(), wide_length) !=
      wide_length) {
    return false;
  }
  const int utf8_length =
      ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, nullptr, 0, nullptr, nullptr);
  if (utf8_length <= 0) return false;
  const std::size_t start = utf8_out.size();
  utf8_out.resize(start + static_cast<std::size_t>(utf8_length));
  if (::WideCharToMultiByte(CP_UTF8, 0, wide.data(), wide_length, utf8_out.data() + start,
                            utf8_length, nullptr, nullptr) != utf8_length) {
    utf8_out.resize(start);
    return false;
  }
  return true;
}

}  // namespace mailsift::platform
