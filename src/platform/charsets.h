// Character sets of message headers, and their conversion to UTF-8 through
// the operating system: iconv from the C library on POSIX, the code-page
// functions on Windows.
//
// Only the character sets listed here are ever converted. A name from a
// message is looked up in a fixed table of names and common aliases (any
// case; "-", "_", "." and spaces ignored, so "ISO_8859-1", "iso88591" and
// "ISO-8859-1" are one name), never handed to the system as written.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace mailsift::platform {

enum class Charset : std::uint8_t {
  kUnknown,
  kUtf8,
  kUsAscii,
  kIso8859_1,
  kIso8859_2,
  kIso8859_3,
  kIso8859_4,
  kIso8859_5,
  kIso8859_6,
  kIso8859_7,
  kIso8859_8,
  kIso8859_9,
  kIso8859_10,
  kIso8859_11,
  kIso8859_13,
  kIso8859_14,
  kIso8859_15,
  kIso8859_16,
  kWindows1250,
  kWindows1251,
  kWindows1252,
  kWindows1253,
  kWindows1254,
  kWindows1255,
  kWindows1256,
  kWindows1257,
  kWindows1258,
  kKoi8R,
  kKoi8U,
  // GB2312 is read as GBK, its superset, as Windows (code page 936) and web
  // browsers do.
  kGbk,
  kGb18030,
  kBig5,
  // Read as Windows-31J (code page 932), the Shift_JIS that mail is written
  // in: byte 0x5C is a backslash, not a yen sign.
  kShiftJis,
  kEucJp,
  kIso2022Jp,
  // Read as code page 949, the superset of EUC-KR that "ks_c_5601-1987"
  // names in practice.
  kEucKr,
};
inline constexpr int kCharsetCount = static_cast<int>(Charset::kEucKr) + 1;

// The character set a MIME name or alias stands for; kUnknown when it is
// none of the table's.
Charset charset_from_name(std::string_view name);

// The preferred MIME name of a character set ("" for kUnknown).
std::string_view charset_name(Charset charset);

// Appends `bytes`, text in `charset`, to `utf8_out` as UTF-8. False, with
// `utf8_out` as it was, when this platform cannot convert that character set
// or the bytes are not valid text in it. Safe to call from several threads at
// once: each thread keeps its own converters open, so a conversion does not
// set one up again for every word.
bool decode_charset(Charset charset, std::string_view bytes, std::string& utf8_out);

// The same, with the character set given by name.
inline bool decode_charset(std::string_view charset, std::string_view bytes,
                           std::string& utf8_out) {
  return decode_charset(charset_from_name(charset), bytes, utf8_out);
}

}  // namespace mailsift::platform
