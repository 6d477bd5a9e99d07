// The INI directives: the table is walked in order and the first directive a
// line matches decides. A row says how the directive reads its value, what a
// line without "=" does, and what the value does (the handler shared with the
// option letters and the long options).
#include "config/ini_directives.h"

#include <array>
#include <cstdint>
#include <string>

#include "config/value_handlers.h"
#include "util/numbers.h"

namespace mailsift {

namespace {

enum class Match : std::uint8_t { kBegins, kContains };

// How a directive reads its value.
enum Reading : unsigned {
  kUpperCase = 0,           // the upper-cased value
  kAsWritten = 1u << 0,     // file and directory names keep their case
  kIgnoresValue = 1u << 1,  // the directive alone sets its switch; a value changes nothing
  kBareMeansOn = 1u << 2,   // the directive without "=" turns its switch on
  kNoMeansOff = 1u << 3,    // a value containing NO turns the switch off too
  kOnOff = 1u << 4,         // read as a switch (implied by a row with a field)
};

// A line without "=": the warning (formatted with the line, then the second
// line), the pause, and what the directive sets instead of its value.
struct Bare {
  const char* warning = nullptr;
  int seconds = 2;
  const char* second_line = nullptr;
  Field field = nullptr;  // a switch the directive sets
  Switch state = Switch::kKeep;
  void (*settle)(Settings& s) = nullptr;  // or what else it sets
  bool settle_after_warning = false;
};

struct IniRow {
  std::array<std::string_view, 4> names;
  Match match;
  Handler apply;
  Field field = nullptr;
  Switch first = Switch::kKeep;  // a switch's value before ON, YES or OFF is looked for
  unsigned rules = 0;            // for the handler
  unsigned reading = kUpperCase;
  const Bare* bare = nullptr;  // none: the handler reads a line without "=" as it is
};

// --- Directives of their own ---------------------------------------------------

bool all_times(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (turns_on(v.state)) {
    s.all_times = 1;
    s.military_time = 1;
    s.time_letter = '3';
  }
  if (turns_off(v.state)) s.all_times = 0;
  return true;
}

bool all_hash_times(ConfigRun& run, const Value& v) {
  all_times(run, v);
  if (turns_on(v.state)) {
    run.settings.all_hash_times = 1;
    run.settings.hash_on = 1;
  }
  if (turns_off(v.state)) run.settings.all_hash_times = 0;
  return true;
}

bool fdi(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  if (turns_on(v.state)) {
    s.begin_offset = 512;
    s.fdi_on = 1;
  }
  if (turns_off(v.state)) {
    s.begin_offset = 0;
    s.fdi_on = 0;
  }
  return true;
}

// Digits anywhere in the value set the short-name width.
bool long_names(ConfigRun& run, const Value& v) {
  Settings& s = run.settings;
  s.lfn_mode = v.state == Switch::kOn ? 2 : 0;  // OFF wins over ON
  std::size_t digit = v.text.find_first_of("0123456789");
  if (digit != std::string_view::npos) s.short_name_width = read_int32(v.text.substr(digit));
  return true;
}

bool split(ConfigRun& run, const Value&) {
  run.settings.quiet += 1;
  run.settings.split_log = 1;
  return true;
}

using namespace values;

constexpr Match kBegins = Match::kBegins, kContains = Match::kContains;
constexpr Switch kOn = Switch::kOn, kOff = Switch::kOff, kKeep = Switch::kKeep;

// --- Lines without "=" ----------------------------------------------------------

constexpr const char* kModifierAt = "\nMissing ini file modifier at: %s";
constexpr const char* kIllegal = "\nIllegal ini file directive %s";
constexpr const char* kMissingIllegal = "\nMissing/Illegal ini file directive %s";

// DISPLACE alone turns the displacement off.
void no_displacement(Settings& s) {
  s.begin_offset = 0;
}
// Every SPLIT line counts one more quiet request, warned about or not.
void split_off(Settings& s) {
  s.quiet += 1;
  s.split_log = 0;
}
void time_letter_unset(Settings& s) {
  s.time_letter_set = 1;
  s.time_letter = 'w';
}

// clang-format off
constexpr Bare kAccountingBare{"\nMissing ini file modifier at: %s=", 2, nullptr,
                               &Settings::accounting_on, kOff};
constexpr Bare kModifierBare{kModifierAt};
constexpr Bare kMissingIllegalBare{kMissingIllegal};
constexpr Bare kCommentBare{nullptr, 0, nullptr, &Settings::comment_on, kOn};
constexpr Bare kDelimiterBare{"\nMissing ini file directive %s", 2, nullptr,
                              &Settings::delimiter_set, kOff};
constexpr Bare kDisplaceBare{"\nMissing ini file directive: %s", 0, nullptr, nullptr, kKeep,
                             no_displacement};
constexpr Bare kExclusionBare{"\nMissing/illegal ini file directive %s", 2, nullptr,
                              &Settings::exclusions_on, kOn};
constexpr Bare kGreaterBare{kModifierAt, 3, "\nGREATER size option turned OFF",
                            &Settings::size_greater_on, kOff};
constexpr Bare kLessBare{kIllegal, 3, "\nLESSTHAN size option turned OFF", &Settings::size_less_on,
                         kOff};
constexpr Bare kNewerBare{"\nMissing ini modifier at: %s", 2, "\nAging modifier turned off",
                          &Settings::age_filter_on, kOff};
constexpr Bare kOlderBare{kModifierAt, 2, "\nAging modifier turned off", &Settings::age_filter_on,
                          kOff};
// The output is turned off only once the warning has been read: an interrupt
// in the pause ends the run with the output it had.
constexpr Bare kOutputBare{kModifierAt, 3, "Output set to NOne\n", &Settings::output_mode, kOff,
                           nullptr, true};
constexpr Bare kRecurseBare{"\nMissing ini file directive at: %s"};
constexpr Bare kSplitBare{kIllegal, 2, nullptr, nullptr, kKeep, split_off};
constexpr Bare kStreamBare{kIllegal, 2, nullptr, &Settings::streams_on, kOff};
constexpr Bare kTimeBare{kIllegal, 2, nullptr, nullptr, kKeep, time_letter_unset};
constexpr Bare kZuluBare{kIllegal, 2, nullptr, &Settings::military_time, kOn};

constexpr unsigned kAgeRules = kDayCountKeepsFlag | kLettersAnywhere;

// Tried in this order; the first match wins, so a "contains" directive early
// in the table can take a line meant for a later one (OUTPUT=/X/OLDER.TXT is
// an OLDER line).
constexpr IniRow kDirectives[] = {
    // A log opened from the environment stays open when the INI turns logging off.
    {{"ACCT", "ACCTING", "ACCOUNT", "LOG"}, kBegins, accounting_log, nullptr, kKeep,
     kOffWord | kEmptyIgnored, kAsWritten, &kAccountingBare},
    {{"ALL_HT"}, kBegins, all_hash_times, nullptr, kKeep, 0, kOnOff, &kModifierBare},
    {{"ALL_TIMES", "ALLTIMES"}, kBegins, all_times, nullptr, kKeep, 0, kOnOff | kBareMeansOn},
    {{"APPEND"}, kBegins, switch_field, &Settings::append_output, kOn},
    {{"AUTO"}, kBegins, switch_field, &Settings::auto_width, kOn},
    {{"COMMENT"}, kBegins, comment, nullptr, kKeep, 0, kUpperCase, &kCommentBare},
    // A standing switch: it can be turned off again and leaves the hashes alone.
    {{"CRC"}, kBegins, switch_field, &Settings::crc_on, kOn},
    // A comma does not quote: quoting is asked for on the command line only.
    {{"DELIM"}, kContains, delimiter, nullptr, kKeep, kOffWord | kMarksDelimiter | kEmptyIgnored,
     kUpperCase, &kDelimiterBare},
    {{"DISPLACE"}, kContains, begin_offset, nullptr, kKeep, kOffWord, kUpperCase, &kDisplaceBare},
    // Adds: standing exclusions and those of the command line collect.
    {{"EXC", "X="}, kBegins, exclusion, nullptr, kKeep, kEmptyIgnored, kUpperCase, &kExclusionBare},
    {{"EXT"}, kBegins, extension, nullptr, kKeep, 0, kIgnoresValue},
    {{"FILE"}, kBegins, name_pattern, nullptr, kKeep, kEmptyIgnored, kUpperCase,
     &kMissingIllegalBare},
    {{"FDI"}, kBegins, fdi, nullptr, kKeep, 0, kOnOff, &kMissingIllegalBare},
    {{"GREATER", "LARGER", "BIGGER"}, kContains, size_greater, nullptr, kKeep, 0, kUpperCase,
     &kGreaterBare},
    {{"HASH"}, kBegins, switch_field, &Settings::hash_on, kOn},
    {{"IMMEDIATE", "NO_COUNT"}, kContains, switch_field, &Settings::immediate, kOn},
    {{"LESSTHAN", "SMALLER"}, kContains, size_less, nullptr, kKeep, 0, kUpperCase, &kLessBare},
    {{"MILITARY"}, kContains, switch_field, &Settings::military_time},
    {{"NAMEONLY"}, kBegins, switch_field, &Settings::name_only, kOn},
    // Age values: a day count leaves the date flag alone, and the letters a, c
    // and w count anywhere in a date, not only in its first 19 characters.
    {{"NEWER", "YOUNGER"}, kContains, newer, nullptr, kKeep, kAgeRules, kUpperCase, &kNewerBare},
    {{"OLDER"}, kContains, older, nullptr, kKeep, kAgeRules, kUpperCase, &kOlderBare},
    // A standing file name: no "stdout" word, no masks, appending left to APPEND.
    {{"OUTPUT"}, kBegins, output_file, nullptr, kKeep, kEmptyIgnored, kAsWritten, &kOutputBare},
    {{"PATH"}, kBegins, root, nullptr, kKeep, kEmptyIgnored, kAsWritten, &kMissingIllegalBare},
    {{"PPATHONLY"}, kBegins, switch_field, &Settings::path_only, kOn},
    {{"PAUSE"}, kContains, switch_field, &Settings::pause_on, kOn},
    {{"RECURSE"}, kContains, switch_field, &Settings::recurse, kKeep, 0, kUpperCase, &kRecurseBare},
    {{"RESET"}, kContains, switch_field, &Settings::reset_access, kOn},
    {{"REVERSE"}, kBegins, switch_field, &Settings::reverse_on, kOn, 0, kNoMeansOff},
    {{"SHA"}, kBegins, switch_field, &Settings::sha1_on, kOn},
    {{"SILENT", "VERBOSE"}, kContains, switch_field, &Settings::quiet, kOff},
    {{"SPLIT"}, kBegins, split, nullptr, kKeep, 0, kUpperCase, &kSplitBare},
    {{"STREAM"}, kBegins, switch_field, &Settings::streams_on, kOff, 0, kUpperCase, &kStreamBare},
    {{"SORT"}, kBegins, switch_field, &Settings::sort_on, kOn, 0, kIgnoresValue},
    // The letter keeps its upper case (the age filter reads "A" and "C" like
    // "a" and "c") and "3" or "0" mean nothing more here.
    {{"TIME"}, kContains, values::time_letter, nullptr, kKeep, kLetterAsGiven, kUpperCase,
     &kTimeBare},
    {{"VAR"}, kBegins, switch_field, &Settings::variable_width, kOn, 0, kIgnoresValue},
    {{"WIDTH"}, kBegins, number, &Settings::name_width, kKeep, 0, kUpperCase, &kModifierBare},
    // UTC times are written the 24-hour way.
    {{"ZULU"}, kContains, zulu, nullptr, kKeep, kAlsoMilitary, kOnOff, &kZuluBare},
    {{"LFN"}, kContains, long_names, nullptr, kOff, 0, kOnOff},
    {{"8.3"}, kContains, switch_field, &Settings::lfn_mode, kOn, 0, kIgnoresValue},
    // Last: a line beginning "JOBS" that another directive also matches (one
    // that contains "TIME", say) stays that directive's.
    {{"JOBS"}, kBegins, thread_count, nullptr, kKeep, 0, kUpperCase, &kModifierBare},
    // Last for the same reason: no "contains" directive above is in "FORMAT=".
    {{"FORMAT"}, kBegins, report_format, nullptr, kKeep, 0, kUpperCase, &kModifierBare},
};
// clang-format on

bool has(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}

bool matches(const IniRow& row, std::string_view line) {
  for (std::string_view name : row.names) {
    if (name.empty()) continue;
    if (row.match == kBegins ? line.substr(0, name.size()) == name : has(line, name)) return true;
  }
  return false;
}

// The switch starts at the row's first value; a value with ON or YES turns
// it on, one with OFF (tested last, so it wins) turns it off.
Switch switch_state(const IniRow& row, const IniLine& l) {
  if ((row.reading & kIgnoresValue) != 0) return row.first;
  if (!l.has_value) return (row.reading & kBareMeansOn) != 0 ? kOn : row.first;
  const bool on = has(l.value, "ON") || has(l.value, "YES");
  const bool off = has(l.value, "OFF") || ((row.reading & kNoMeansOff) != 0 && has(l.value, "NO"));
  if (on && off) return Switch::kOnThenOff;
  return on ? kOn : (off ? kOff : row.first);
}

void settle(ConfigRun& run, const Bare& bare) {
  if (bare.field != nullptr) apply_switch(run.settings.*bare.field, bare.state);
  if (bare.settle != nullptr) bare.settle(run.settings);
}

void apply_bare(ConfigRun& run, const IniLine& l, const Bare& bare) {
  if (!bare.settle_after_warning) settle(run, bare);
  if (bare.warning != nullptr) {
    OutStream& messages = run.console.messages();
    messages.format(bare.warning, std::string(l.upper).c_str());
    if (bare.second_line != nullptr) messages.write(bare.second_line);
    if (!run.pause(messages, bare.seconds)) return;
  }
  if (bare.settle_after_warning) settle(run, bare);
}

}  // namespace

bool apply_ini_directive(ConfigRun& run, const IniLine& line) {
  for (const IniRow& row : kDirectives) {
    if (!matches(row, line.upper)) continue;
    if (!line.has_value && row.bare != nullptr) {
      apply_bare(run, line, *row.bare);
      return true;
    }
    const std::string_view text =
        (row.reading & kAsWritten) != 0 ? line.original_value : line.value;
    const bool is_switch = row.field != nullptr || (row.reading & kOnOff) != 0;
    const Switch state = is_switch ? switch_state(row, line) : kOn;
    // A refused value (a name that cannot be made absolute) is passed over.
    row.apply(run, Value{text, Source::kIniFile, row.rules, state, row.field});
    return true;
  }
  return false;
}

}  // namespace mailsift
