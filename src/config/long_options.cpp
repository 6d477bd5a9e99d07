// "--keyword[=value]" options: the keyword table is walked in order and the
// first keyword that matches decides. A row says how the keyword takes its
// value and what the value does (the handler shared with the option letters
// and the INI file).
#include "config/long_options.h"

#include <cstdint>
#include <limits>
#include <string_view>

#include "config/value_handlers.h"
#include "platform/platform.h"
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
  Field field = nullptr;
  unsigned rules = 0;
};

// --- Keywords of their own ---------------------------------------------------

// "=c" or ":c" after the keyword stores the character's code.
bool ads(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  s.ads_option = 1;
  s.reset_access = 1;
  std::size_t sep = v.text.find('=');
  if (sep == std::string_view::npos) sep = v.text.find(':');
  if (sep != std::string_view::npos && sep + 1 < v.text.size()) {
    s.ads_option = static_cast<unsigned char>(v.text[sep + 1]);
  }
  return true;
}

// Directory sizes: the dispatch then keeps directories only.
bool dirsize(ConfigRun& run, const Value&) {
  Settings& s = run.settings;
  s.dirsize_on = s.dirsize_mode = 1;
  return true;
}

bool level(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  s.level_limit_on = 1;
  s.dirsize_mode += 2;
  s.change_attributes = 1;
  std::int32_t n = read_int32(v.text);
  s.max_level = n == std::numeric_limits<std::int32_t>::max() ? n : n + 1;
  return true;
}

// "NAMEAFTER=n", or the number right after the keyword ("NAMEAFTER5").
bool name_after(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  s.name_after_on = 1;
  if (std::size_t eq = v.text.find('='); eq != std::string_view::npos) {
    if (eq + 1 < v.text.size()) s.name_after = read_int32(v.text.substr(eq + 1));
  } else if (!v.text.empty()) {
    s.name_after = read_int32(v.text);
  }
  return true;
}

// Opens the list file of file-list mode; without a value the option is
// passed over.
bool source_list(ConfigRun& run, const Value& v) {
  if (v.text.empty()) return true;
  std::string name(v.text);
  int handle = platform::open_path(name, platform::OpenMode::kRead);
  if (handle < 0) {
    run.console.messages().format("\nCannot find/open %s", name.c_str());
    run.stop = ConfigStop::plain(kInputFile);
    return true;
  }
  if (run.file_list >= 0) platform::close_handle(run.file_list);
  run.file_list = handle;
  run.settings.file_list_on = 1;
  return true;
}

using namespace values;

constexpr Takes kNothing = Takes::kNothing, kOnOff = Takes::kOnOff, kValue = Takes::kValue;

// Order decides: the first keyword that matches wins ("ACCESS" before "ACC",
// "FILE" before anything else beginning with those letters).
constexpr LongRow kKeywords[] = {
    {"ACCESS", Match::kBegins, switch_field, kNothing, &Settings::access_option},
    {"ADS", Match::kBegins, ads, Takes::kAfterKeyword},
    // The note in the replaced log names the value as typed, not its full path.
    {"ACC", Match::kBegins, accounting_log, kValue, nullptr, kNoteNamesValue},
    {"LOG", Match::kBegins, accounting_log, kValue, nullptr, kNoteNamesValue},
    {"APP", Match::kBegins, switch_field, kNothing, &Settings::append_output},
    {"BEG", Match::kBegins, begin_offset, kValue},
    {"END", Match::kBegins, end_offset, kValue},
    {"COM", Match::kBegins, comment, kValue, nullptr, kWidthFromNumber},
    {"CRC", Match::kBegins, crc},
    {"CREATE", Match::kBegins, switch_field, kNothing, &Settings::create_on},
    // Spelled out, so "pipe" can name the character shells make awkward; the
    // choice is not recorded and a comma does not quote (that is "-d"'s).
    {"DEL", Match::kBegins, delimiter, kValue, nullptr, kPipeWord},
    {"DIRSIZE", Match::kBegins, dirsize},
    // Adds one pattern: exclusions given one at a time collect.
    {"EXC", Match::kBegins, exclusion, kValue},
    {"EXT", Match::kBegins, extension},
    {"FILE", Match::kBegins, name_pattern, kValue},
    {"HASHSET", Match::kBegins, switch_field, kValue, &Settings::hashset_on},
    {"GRE", Match::kBegins, size_greater, kValue},
    {"BIG", Match::kBegins, size_greater, kValue},
    {"HASH", Match::kWhole, switch_field, kNothing, &Settings::hash_on},
    {"MD5", Match::kWhole, switch_field, kNothing, &Settings::hash_on},
    {"IM", Match::kBegins, switch_field, kNothing, &Settings::immediate},
    {"LES", Match::kBegins, size_less, kValue},
    {"SMA", Match::kBegins, size_less, kValue},
    {"LEV", Match::kBegins, level, kValue},
    {"NAMEAFTER", Match::kBegins, name_after, Takes::kAfterKeyword},
    {"NEW", Match::kBegins, newer, kValue},
    {"YOU", Match::kBegins, newer, kValue},
    {"QUOTE", Match::kBegins, switch_field, kNothing, &Settings::quote_fields},
    {"OLD", Match::kBegins, older, kValue},
    {"BEF", Match::kBegins, older, kValue},
    // A file named in full: no "stdout" word, no masks, and written afresh.
    {"OUT", Match::kBegins, output_file, kValue, nullptr, kNewOutput},
    {"PATH", Match::kBegins, root, kValue},
    {"PAU", Match::kBegins, switch_field, kNothing, &Settings::pause_on},
    {"REC", Match::kBegins, switch_field, kOnOff, &Settings::recurse},
    {"RES", Match::kBegins, switch_field, kOnOff, &Settings::reset_access},
    {"REVERSE", Match::kWhole, switch_field, kNothing, &Settings::reverse_on},
    {"SEQ", Match::kBegins, switch_field, kNothing, &Settings::sequence_on},
    {"SHA1", Match::kWhole, switch_field, kNothing, &Settings::sha1_on},
    {"SHA", Match::kWhole, switch_field, kNothing, &Settings::sha1_on},
    {"SHA2", Match::kBegins, switch_field, kNothing, &Settings::sha256_on},
    {"SHA3", Match::kBegins, switch_field, kNothing, &Settings::sha384_on},
    {"SHA5", Match::kBegins, switch_field, kNothing, &Settings::sha512_on},
    {"SHOWAT", Match::kBegins, switch_field, kNothing, &Settings::showat_on},
    {"STR", Match::kBegins, switch_field, kOnOff, &Settings::streams_on},
    {"UTF", Match::kBegins, switch_field, kNothing, &Settings::utf_on},
    {"VAR", Match::kBegins, switch_field, kNothing, &Settings::variable_width},
    {"WID", Match::kBegins, number, kValue, &Settings::name_width},
    {"VER", Match::kBegins, switch_field, kOnOff, &Settings::quiet},
    {"SOUR", Match::kBegins, source_list, Takes::kMaybe},
    // No keyword begins with "J", so none is a prefix of a text beginning
    // "JOBS" and "JOBS" takes no text meant for another; last, it stays so
    // whatever keyword is added before it.
    {"JOBS", Match::kBegins, thread_count, kValue},
    // The only keyword beginning "FO": "FILE" and every other keyword keep
    // the texts they took before.
    {"FORMAT", Match::kBegins, report_format, kValue},
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

}  // namespace

bool parse_long_option(ConfigRun& run, std::string& text) {
  for (const LongRow& row : kKeywords) {
    if (!matches(row, text)) continue;
    const std::size_t eq = text.find('=');
    Value v{{}, Source::kLongOption, row.rules, Switch::kOn, row.field};
    if (row.takes == Takes::kOnOff && !read_on_off(text, eq, v.state)) return false;
    if (row.takes == Takes::kAfterKeyword) {
      v.text = std::string_view(text).substr(row.keyword.size());
    } else if (eq != std::string::npos) {
      v.text = std::string_view(text).substr(eq + 1);
    }
    if (row.takes == Takes::kValue && v.text.empty()) return false;
    return row.apply(run, v);
  }
  OutStream& messages = run.console.messages();
  messages.format("\nIllegal or incomplete minusminus option of \"--%s\" IGNORED\n", text.c_str());
  messages.write("Please check the option compatability and rerun if necessary\n");
  run.pause(messages, 3);
  return true;
}

}  // namespace mailsift
