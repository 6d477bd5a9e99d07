// The names of the character sets, shared by both platforms.
#include "platform/charsets.h"

#include <cstddef>

namespace mailsift::platform {

namespace {

struct Alias {
  std::string_view key;  // lower case, without "-", "_", "." and spaces
  Charset charset;
};

// MIME names, IANA aliases and the other spellings mail is seen with.
constexpr Alias kAliases[] = {
    {"utf8", Charset::kUtf8},
    {"unicode11utf8", Charset::kUtf8},
    {"usascii", Charset::kUsAscii},
    {"ascii", Charset::kUsAscii},
    {"us", Charset::kUsAscii},
    {"ansix341968", Charset::kUsAscii},
    {"iso646us", Charset::kUsAscii},
    {"isoir6", Charset::kUsAscii},
    {"cp367", Charset::kUsAscii},
    {"ibm367", Charset::kUsAscii},
    {"csascii", Charset::kUsAscii},
    {"iso88591", Charset::kIso8859_1},
    {"iso885911987", Charset::kIso8859_1},
    {"latin1", Charset::kIso8859_1},
    {"l1", Charset::kIso8859_1},
    {"isoir100", Charset::kIso8859_1},
    {"cp819", Charset::kIso8859_1},
    {"ibm819", Charset::kIso8859_1},
    {"csisolatin1", Charset::kIso8859_1},
    {"iso88592", Charset::kIso8859_2},
    {"latin2", Charset::kIso8859_2},
    {"l2", Charset::kIso8859_2},
    {"isoir101", Charset::kIso8859_2},
    {"csisolatin2", Charset::kIso8859_2},
    {"iso88593", Charset::kIso8859_3},
    {"latin3", Charset::kIso8859_3},
    {"l3", Charset::kIso8859_3},
    {"isoir109", Charset::kIso8859_3},
    {"csisolatin3", Charset::kIso8859_3},
    {"iso88594", Charset::kIso8859_4},
    {"latin4", Charset::kIso8859_4},
    {"l4", Charset::kIso8859_4},
    {"isoir110", Charset::kIso8859_4},
    {"csisolatin4", Charset::kIso8859_4},
    {"iso88595", Charset::kIso8859_5},
    {"cyrillic", Charset::kIso8859_5},
    {"isoir144", Charset::kIso8859_5},
    {"csisolatincyrillic", Charset::kIso8859_5},
    {"iso88596", Charset::kIso8859_6},
    {"arabic", Charset::kIso8859_6},
    {"isoir127", Charset::kIso8859_6},
    {"ecma114", Charset::kIso8859_6},
    {"asmo708", Charset::kIso8859_6},
    {"csisolatinarabic", Charset::kIso8859_6},
    {"iso88597", Charset::kIso8859_7},
    {"greek", Charset::kIso8859_7},
    {"greek8", Charset::kIso8859_7},
    {"isoir126", Charset::kIso8859_7},
    {"elot928", Charset::kIso8859_7},
    {"ecma118", Charset::kIso8859_7},
    {"csisolatingreek", Charset::kIso8859_7},
    {"iso88598", Charset::kIso8859_8},
    {"iso88598i", Charset::kIso8859_8},
    {"hebrew", Charset::kIso8859_8},
    {"isoir138", Charset::kIso8859_8},
    {"csisolatinhebrew", Charset::kIso8859_8},
    {"iso88599", Charset::kIso8859_9},
    {"latin5", Charset::kIso8859_9},
    {"l5", Charset::kIso8859_9},
    {"isoir148", Charset::kIso8859_9},
    {"csisolatin5", Charset::kIso8859_9},
    {"iso885910", Charset::kIso8859_10},
    {"latin6", Charset::kIso8859_10},
    {"l6", Charset::kIso8859_10},
    {"isoir157", Charset::kIso8859_10},
    {"csisolatin6", Charset::kIso8859_10},
    {"iso885911", Charset::kIso8859_11},
    {"tis620", Charset::kIso8859_11},
    {"iso885913", Charset::kIso8859_13},
    {"latin7", Charset::kIso8859_13},
    {"l7", Charset::kIso8859_13},
    {"iso885914", Charset::kIso8859_14},
    {"latin8", Charset::kIso8859_14},
    {"l8", Charset::kIso8859_14},
    {"isoceltic", Charset::kIso8859_14},
    {"isoir199", Charset::kIso8859_14},
    {"iso885915", Charset::kIso8859_15},
    {"latin9", Charset::kIso8859_15},
    {"l9", Charset::kIso8859_15},
    {"latin0", Charset::kIso8859_15},
    {"iso885916", Charset::kIso8859_16},
    {"latin10", Charset::kIso8859_16},
    {"l10", Charset::kIso8859_16},
    {"isoir226", Charset::kIso8859_16},
    {"windows1250", Charset::kWindows1250},
    {"cp1250", Charset::kWindows1250},
    {"xcp1250", Charset::kWindows1250},
    {"windows1251", Charset::kWindows1251},
    {"cp1251", Charset::kWindows1251},
    {"xcp1251", Charset::kWindows1251},
    {"windows1252", Charset::kWindows1252},
    {"cp1252", Charset::kWindows1252},
    {"xcp1252", Charset::kWindows1252},
    {"windows1253", Charset::kWindows1253},
    {"cp1253", Charset::kWindows1253},
    {"xcp1253", Charset::kWindows1253},
    {"windows1254", Charset::kWindows1254},
    {"cp1254", Charset::kWindows1254},
    {"xcp1254", Charset::kWindows1254},
    {"windows1255", Charset::kWindows1255},
    {"cp1255", Charset::kWindows1255},
    {"xcp1255", Charset::kWindows1255},
    {"windows1256", Charset::kWindows1256},
    {"cp1256", Charset::kWindows1256},
    {"xcp1256", Charset::kWindows1256},
    {"windows1257", Charset::kWindows1257},
    {"cp1257", Charset::kWindows1257},
    {"xcp1257", Charset::kWindows1257},
    {"windows1258", Charset::kWindows1258},
    {"cp1258", Charset::kWindows1258},
    {"xcp1258", Charset::kWindows1258},
    {"koi8r", Charset::kKoi8R},
    {"cskoi8r", Charset::kKoi8R},
    {"koi8u", Charset::kKoi8U},
    {"gb2312", Charset::kGbk},
    {"gb231280", Charset::kGbk},
    {"csgb2312", Charset::kGbk},
    {"euccn", Charset::kGbk},
    {"xeuccn", Charset::kGbk},
    {"eucgb2312cn", Charset::kGbk},  // as Python's own encoder writes it
    {"chinese", Charset::kGbk},
    {"isoir58", Charset::kGbk},
    {"gbk", Charset::kGbk},
    {"cp936", Charset::kGbk},
    {"ms936", Charset::kGbk},
    {"windows936", Charset::kGbk},
    {"xgbk", Charset::kGbk},
    {"gb18030", Charset::kGb18030},
    {"big5", Charset::kBig5},
    {"csbig5", Charset::kBig5},
    {"xxbig5", Charset::kBig5},
    {"big5tw", Charset::kBig5},
    {"cnbig5", Charset::kBig5},
    {"cp950", Charset::kBig5},
    {"ms950", Charset::kBig5},
    {"shiftjis", Charset::kShiftJis},
    {"sjis", Charset::kShiftJis},
    {"xsjis", Charset::kShiftJis},
    {"mskanji", Charset::kShiftJis},
    {"csshiftjis", Charset::kShiftJis},
    {"windows31j", Charset::kShiftJis},
    {"cswindows31j", Charset::kShiftJis},
    {"cp932", Charset::kShiftJis},
    {"ms932", Charset::kShiftJis},
    {"eucjp", Charset::kEucJp},
    {"xeucjp", Charset::kEucJp},
    {"ujis", Charset::kEucJp},
    {"cseucpkdfmtjapanese", Charset::kEucJp},
    {"iso2022jp", Charset::kIso2022Jp},
    {"csiso2022jp", Charset::kIso2022Jp},
    {"euckr", Charset::kEucKr},
    {"cseuckr", Charset::kEucKr},
    {"ksc56011987", Charset::kEucKr},
    {"ksc56011989", Charset::kEucKr},
    {"ksc5601", Charset::kEucKr},
    {"csksc56011987", Charset::kEucKr},
    {"isoir149", Charset::kEucKr},
    {"korean", Charset::kEucKr},
    {"cp949", Charset::kEucKr},
    {"windows949", Charset::kEucKr},
    {"uhc", Charset::kEucKr},
};

constexpr std::string_view kNames[kCharsetCount] = {
    "",
    "UTF-8",
    "US-ASCII",
    "ISO-8859-1",
    "ISO-8859-2",
    "ISO-8859-3",
    "ISO-8859-4",
    "ISO-8859-5",
    "ISO-8859-6",
    "ISO-8859-7",
    "ISO-8859-8",
    "ISO-8859-9",
    "ISO-8859-10",
    "ISO-8859-11",
    "ISO-8859-13",
    "ISO-8859-14",
    "ISO-8859-15",
    "ISO-8859-16",
    "windows-1250",
    "windows-1251",
    "windows-1252",
    "windows-1253",
    "windows-1254",
    "windows-1255",
    "windows-1256",
    "windows-1257",
    "windows-1258",
    "KOI8-R",
    "KOI8-U",
    "GBK",
    "GB18030",
    "Big5",
    "Shift_JIS",
    "EUC-JP",
    "ISO-2022-JP",
    "EUC-KR",
};

// No alias is longer than this; a longer name is unknown without a search.
constexpr std::size_t kMaxKey = 24;

constexpr bool keys_fit() {
  for (const Alias& alias : kAliases) {
    if (alias.key.size() > kMaxKey) return false;
  }
  return true;
}
static_assert(keys_fit());

}  // namespace

Charset charset_from_name(std::string_view name) {
  char key[kMaxKey];
  std::size_t length = 0;
  for (const char c : name) {
    if (c == '-' || c == '_' || c == '.' || c == ' ') continue;
    if (length == kMaxKey) return Charset::kUnknown;
    key[length++] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
  }
  const std::string_view wanted(key, length);
  for (const Alias& alias : kAliases) {
    if (alias.key == wanted) return alias.charset;
  }
  return Charset::kUnknown;
}

std::string_view charset_name(Charset charset) {
  return kNames[static_cast<int>(charset)];
}

}  // namespace mailsift::platform
