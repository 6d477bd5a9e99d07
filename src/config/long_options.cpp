// "--keyword[=value]" options: the keyword table is walked in order and the
// first keyword that matches decides.
#include "config/long_options.h"

#include <cstdint>
#include <string>
#include <string_view>

#include "config/long_option_handlers.h"
#include "util/numbers.h"
#include "config/settings.h"
#include "util/count_format.h"
#include "app/pause.h"
#include "app/run_context.h"

namespace mailsift {

namespace {

using namespace long_option_handlers;

// ON gives 1, OFF 0, no value 1; anything else refuses the option. The value
// is upper-cased in the option text itself (the log echoes it that way).
int on_off(LongArgs& a, std::int32_t& field) {
  if (!a.has_value) {
    field = 1;
    return kAccepted;
  }
  std::size_t eq = a.text.find('=');
  for (std::size_t i = eq + 1; i < a.text.size(); ++i) a.text[i] = ascii_upper(a.text[i]);
  std::string_view upper = std::string_view(a.text).substr(eq + 1);
  if (upper == "ON") {
    field = 1;
  } else if (upper == "OFF") {
    field = 0;
  } else {
    return kRefused;
  }
  return kAccepted;
}

int access(LongArgs& a) {
  a.s().access_option = 1;
  return kAccepted;
}

int ads(LongArgs& a) {
  a.s().ads_option = 1;
  a.s().reset_access = 1;
  std::size_t sep = a.text.find('=');
  if (sep == std::string::npos) sep = a.text.find(':');
  if (sep != std::string::npos && sep + 1 < a.text.size()) {
    a.s().ads_option = static_cast<unsigned char>(a.text[sep + 1]);
  }
  return kAccepted;
}

int append(LongArgs& a) {
  a.s().append_output = 1;
  return kAccepted;
}

int crc(LongArgs& a) {
  a.s().crc_on = 1;
  a.s().sha1_on = 0;
  a.s().hash_on = 0;
  return kAccepted;
}

int create(LongArgs& a) {
  a.s().create_on = 1;
  return kAccepted;
}

int dirsize(LongArgs& a) {
  a.s().dirsize_on = 1;
  a.s().dirsize_mode = 1;
  return kAccepted;
}

int ext(LongArgs& a) {
  a.s().ext_on = 1;
  a.s().ext_mode = 2;
  return kAccepted;
}

int hash(LongArgs& a) {
  a.s().hash_on = 1;
  return kAccepted;
}

int immediate(LongArgs& a) {
  a.s().immediate = 1;
  return kAccepted;
}

int quote(LongArgs& a) {
  a.s().quote_fields = 1;
  return kAccepted;
}

int pause(LongArgs& a) {
  a.s().pause_on = 1;
  return kAccepted;
}

int recurse(LongArgs& a) {
  return on_off(a, a.s().recurse);
}
int reset(LongArgs& a) {
  return on_off(a, a.s().reset_access);
}

int reverse(LongArgs& a) {
  a.s().reverse_on = 1;
  return kAccepted;
}

int sequence(LongArgs& a) {
  a.s().sequence_on = 1;
  return kAccepted;
}

int sha1(LongArgs& a) {
  a.s().sha1_on = 1;
  return kAccepted;
}
int sha256(LongArgs& a) {
  a.s().sha256_on = 1;
  return kAccepted;
}
int sha384(LongArgs& a) {
  a.s().sha384_on = 1;
  return kAccepted;
}
int sha512(LongArgs& a) {
  a.s().sha512_on = 1;
  return kAccepted;
}
int showat(LongArgs& a) {
  a.s().showat_on = 1;
  return kAccepted;
}

int streams(LongArgs& a) {
  return on_off(a, a.s().streams_on);
}

int utf(LongArgs& a) {
  a.s().utf_on = 1;
  return kAccepted;
}

int variable(LongArgs& a) {
  a.s().variable_width = 1;
  return kAccepted;
}

int verbose(LongArgs& a) {
  return on_off(a, a.s().quiet);
}

enum class Match { kBegins, kWhole };

struct LongKeyword {
  std::string_view keyword;
  Match match;
  int (*apply)(LongArgs&);
};

// Order decides: the first keyword that matches wins ("ACCESS" before "ACC",
// "FILE" before anything else beginning with those letters).
constexpr LongKeyword kKeywords[] = {
    {"ACCESS", Match::kBegins, access},
    {"ADS", Match::kBegins, ads},
    {"ACC", Match::kBegins, accounting},
    {"LOG", Match::kBegins, accounting},
    {"APP", Match::kBegins, append},
    {"BEG", Match::kBegins, begin_offset},
    {"END", Match::kBegins, end_offset},
    {"COM", Match::kBegins, comment},
    {"CRC", Match::kBegins, crc},
    {"CREATE", Match::kBegins, create},
    {"DEL", Match::kBegins, delimiter},
    {"DIRSIZE", Match::kBegins, dirsize},
    {"EXC", Match::kBegins, exclude},
    {"EXT", Match::kBegins, ext},
    {"FILE", Match::kBegins, file_pattern},
    {"HASHSET", Match::kBegins, hashset},
    {"GRE", Match::kBegins, greater},
    {"BIG", Match::kBegins, greater},
    {"HASH", Match::kWhole, hash},
    {"MD5", Match::kWhole, hash},
    {"IM", Match::kBegins, immediate},
    {"LES", Match::kBegins, less},
    {"SMA", Match::kBegins, less},
    {"LEV", Match::kBegins, level},
    {"NAMEAFTER", Match::kBegins, name_after},
    {"NEW", Match::kBegins, newer},
    {"YOU", Match::kBegins, newer},
    {"QUOTE", Match::kBegins, quote},
    {"OLD", Match::kBegins, older},
    {"BEF", Match::kBegins, older},
    {"OUT", Match::kBegins, output},
    {"PATH", Match::kBegins, path},
    {"PAU", Match::kBegins, pause},
    {"REC", Match::kBegins, recurse},
    {"RES", Match::kBegins, reset},
    {"REVERSE", Match::kWhole, reverse},
    {"SEQ", Match::kBegins, sequence},
    {"SHA1", Match::kWhole, sha1},
    {"SHA", Match::kWhole, sha1},
    {"SHA2", Match::kBegins, sha256},
    {"SHA3", Match::kBegins, sha384},
    {"SHA5", Match::kBegins, sha512},
    {"SHOWAT", Match::kBegins, showat},
    {"STR", Match::kBegins, streams},
    {"UTF", Match::kBegins, utf},
    {"VAR", Match::kBegins, variable},
    {"WID", Match::kBegins, width},
    {"VER", Match::kBegins, verbose},
    {"SOUR", Match::kBegins, source_list},
};

bool matches(const LongKeyword& k, std::string_view text) {
  return k.match == Match::kWhole ? iequals(text, k.keyword) : istarts_with(text, k.keyword);
}

}  // namespace

int parse_long_option(RunContext& ctx, std::string& text) {
  for (const LongKeyword& k : kKeywords) {
    if (!matches(k, text)) continue;
    std::size_t eq = text.find('=');
    std::string_view value;
    if (eq != std::string::npos) value = std::string_view(text).substr(eq + 1);
    LongArgs args{ctx, text, k.keyword, !value.empty(), value};
    return k.apply(args);
  }
  OutStream& messages = ctx.console.messages();
  messages.format("\nIllegal or incomplete minusminus option of \"--%s\" IGNORED\n", text.c_str());
  messages.write("Please check the option compatability and rerun if necessary\n");
  wait_seconds(ctx, messages, 3);
  return kAccepted;
}

}  // namespace mailsift
