// "--keyword[=value]" options: the keyword table is walked in order and the
// first keyword that matches decides. A row says how the keyword takes its
// value and what the value does (the handler shared with the option letters
// and the INI file).
#include "config/long_options.h"

#include <cstdint>
#include <limits>
#include <optional>
#include <string_view>

#include "config/value_handlers.h"
#include "util/ascii.h"
#include "util/numbers.h"

namespace mailsift {

namespace {

enum class Match : std::uint8_t { kBegins, kWhole };

// How a keyword takes its value (everything after the first "=").
enum class Takes : std::uint8_t {
  kNothing,       // any value is passed over; a switch turns on
  kOnOff,         // none, ON or OFF (upper-cased in place); anything else is refused
  kValue,         // refused without a value
  kMaybe,         // the value or nothing
  kAfterKeyword,  // the whole text after the keyword
};

struct LongRow {
  std::string_view keyword;
  Match match;
  Handler apply;
  Takes takes = Takes::kNothing;
  BoolField field = nullptr;
  Rules rules{};
};

// --- Keywords of their own ---------------------------------------------------

// Directory sizes: the attribute change then keeps files after all.
bool dirsize(Draft& d, const Value&) {
  d.walk.attributes.directories_only = false;
  return true;
}

// A depth limit of n levels; the attribute change goes on, and only
// directories are reported.
bool level(Draft& d, const Value& v) {
  AttributeChange& change = d.walk.attributes;
  change.on = true;
  change.directories_only = true;
  const std::int32_t n = read_int32(v.text);
  const std::int32_t limit = n == std::numeric_limits<std::int32_t>::max() ? n : n + 1;
  d.walk.depth_limit = limit == 0 ? std::nullopt : std::optional<std::int32_t>(limit);
  return true;
}

// The list file of file-list mode; without a value the option is passed
// over.
bool source_list(Draft& d, const Value& v) {
  if (!v.text.empty()) d.add(OpenFileList{std::string(v.text)});
  return true;
}

using namespace values;

constexpr Takes kNothing = Takes::kNothing, kOnOff = Takes::kOnOff, kValue = Takes::kValue;
constexpr Match kBegins = Match::kBegins, kWhole = Match::kWhole;

// Order decides: the first keyword that matches wins ("ACCESS" before "ACC",
// "FILE" before anything else beginning with those letters).
constexpr LongRow kFamilyKeywords[] = {
    {"ACCESS", kBegins, no_effect},
    {"ADS", kBegins, no_effect, Takes::kAfterKeyword},
    // The note in the replaced log names the value as typed, not its full path.
    {"ACC", kBegins, accounting_log, kValue, nullptr, {.note_names_value = true}},
    {"LOG", kBegins, accounting_log, kValue, nullptr, {.note_names_value = true}},
    {"APP", kBegins, switch_field, kNothing, field<&ReportOptions::append>},
    {"BEG", kBegins, no_effect, kValue},
    {"END", kBegins, no_effect, kValue},
    {"COM", kBegins, no_effect, kValue},
    {"CRC", kBegins, crc},
    {"CREATE", kBegins, no_effect},
    // Spelled out, so "pipe" can name the character shells make awkward; a
    // comma does not quote (that is "-d"'s).
    {"DEL", kBegins, delimiter, kValue, nullptr, {.pipe_word = true}},
    {"DIRSIZE", kBegins, dirsize},
    // Adds one pattern: exclusions given one at a time collect.
    {"EXC", kBegins, exclusion, kValue},
    {"EXT", kBegins, no_effect},
    {"FILE", kBegins, name_pattern, kValue},
    {"HASHSET", kBegins, no_effect, kValue},
    {"GRE", kBegins, size_greater, kValue},
    {"BIG", kBegins, size_greater, kValue},
    {"HASH", kWhole, switch_field, kNothing, field<&DigestRequest::md5>},
    {"MD5", kWhole, switch_field, kNothing, field<&DigestRequest::md5>},
    {"IM", kBegins, switch_field, kNothing, field<&RunOptions::counting_pass>},
    {"LES", kBegins, size_less, kValue},
    {"SMA", kBegins, size_less, kValue},
    {"LEV", kBegins, level, kValue},
    {"NAMEAFTER", kBegins, no_effect, Takes::kAfterKeyword},
    {"NEW", kBegins, newer, kValue},
    {"YOU", kBegins, newer, kValue},
    {"QUOTE", kBegins, switch_field, kNothing, field<&ReportOptions::quoted>},
    {"OLD", kBegins, older, kValue},
    {"BEF", kBegins, older, kValue},
    // A file named in full: no "stdout" word, no masks, and written afresh.
    {"OUT", kBegins, output_file, kValue, nullptr, {.new_output = true}},
    {"PATH", kBegins, root, kValue},
    {"PAU", kBegins, no_effect},
    {"REC", kBegins, switch_field, kOnOff, field<&WalkOptions::recurse>},
    {"RES", kBegins, no_effect, kOnOff},
    {"REVERSE", kWhole, no_effect},
    {"SEQ", kBegins, no_effect},
    {"SHA1", kWhole, switch_field, kNothing, field<&DigestRequest::sha1>},
    {"SHA", kWhole, switch_field, kNothing, field<&DigestRequest::sha1>},
    {"SHA2", kBegins, switch_field, kNothing, field<&DigestRequest::sha256>},
    {"SHA3", kBegins, switch_field, kNothing, field<&DigestRequest::sha384>},
    {"SHA5", kBegins, switch_field, kNothing, field<&DigestRequest::sha512>},
    {"SHOWAT", kBegins, no_effect},
    {"STR", kBegins, no_effect, kOnOff},
    {"UTF", kBegins, no_effect},
    {"VAR", kBegins, no_effect},
    {"WID", kBegins, no_effect, kValue},
    {"VER", kBegins, quiet, kOnOff},
    {"SOUR", kBegins, source_list, Takes::kMaybe},
};

// Keywords this program adds to the family's vocabulary. They are tried
// after every keyword of the family, so an option text the family takes
// keeps its meaning.
constexpr LongRow kAddedKeywords[] = {
    {"JOBS", kBegins, jobs, kValue},
    {"FORMAT", kBegins, report_format, kValue},
    {"MBOX", kBegins, switch_field, kOnOff, field<&RunOptions::mbox>},
};

bool matches(const LongRow& row, std::string_view text) {
  return row.match == Match::kWhole ? iequals(text, row.keyword) : istarts_with(text, row.keyword);
}

// ON is 1, OFF 0, no value 1; the value is upper-cased in the option text
// itself (the log echoes it that way).
bool read_on_off(std::string& text, std::size_t eq, Switch& state) {
  if (eq == std::string::npos || eq + 1 == text.size()) return true;
  for (std::size_t i = eq + 1; i < text.size(); ++i) text[i] = ascii_upper(text[i]);
  const std::string_view upper = std::string_view(text).substr(eq + 1);
  if (upper != "ON" && upper != "OFF") return false;
  state = upper == "ON" ? Switch::kOn : Switch::kOff;
  return true;
}

const LongRow* find_row(std::string_view text) {
  for (const LongRow& row : kFamilyKeywords) {
    if (matches(row, text)) return &row;
  }
  for (const LongRow& row : kAddedKeywords) {
    if (matches(row, text)) return &row;
  }
  return nullptr;
}

}  // namespace

bool parse_long_option(Draft& d, std::string& text) {
  if (const LongRow* found = find_row(text)) {
    const LongRow& row = *found;
    const std::size_t eq = text.find('=');
    Value v{{}, Source::kLongOption, row.rules, Switch::kOn, row.field};
    if (row.takes == Takes::kOnOff && !read_on_off(text, eq, v.state)) return false;
    if (row.takes == Takes::kAfterKeyword) {
      v.text = std::string_view(text).substr(row.keyword.size());
    } else if (eq != std::string::npos) {
      v.text = std::string_view(text).substr(eq + 1);
    }
    if (row.takes == Takes::kValue && v.text.empty()) return false;
    return row.apply(d, v);
  }
  d.show(Channel::kMessages,
         "\nIllegal or incomplete minusminus option of \"--" + text +
             "\" IGNORED\n"
             "Please check the option compatability and rerun if necessary\n",
         3);
  return true;
}

}  // namespace mailsift
