// The INI directives: the table is walked in order and the first directive a
// line matches decides. A row says how the directive reads its value, what a
// line without "=" does, and what the value does (the handler shared with the
// option letters and the long options).
#include "config/ini_directives.h"

#include <array>
#include <cstdint>
#include <string>

#include "config/value_handlers.h"

namespace mailsift {

namespace {

enum class Match : std::uint8_t { kBegins, kContains };

// How a directive reads its value.
struct Reading {
  bool as_written = false;     // file and directory names keep their case (else upper case)
  bool on_off = false;         // a switch (implied by a row with a field)
  bool bare_means_on = false;  // the directive without "=" turns its switch on
  // A value the handler refuses draws the warning of a line without "=",
  // and changes nothing (else a refused value is passed over in silence).
  bool refusal_warns = false;
};

// A line without "=": what the directive sets, the warning (formatted with
// the line, then the second line) and its pause.
struct Bare {
  const char* warning = nullptr;
  int seconds = 2;
  const char* second_line = nullptr;
  void (*sets)(Draft& d) = nullptr;
  bool sets_after_warning = false;
};

struct IniRow {
  std::array<std::string_view, 4> names;
  Match match;
  Handler apply;
  BoolField field = nullptr;
  Switch first = Switch::kKeep;  // a switch's value before ON, YES or OFF is looked for
  Rules rules{};                 // for the handler
  Reading reading{};
  const Bare* bare = nullptr;  // none: the handler reads a line without "=" as it is
};

// --- Directives of their own ---------------------------------------------------

// All times: the day-count age filter then measures the last write ("3").
bool all_times(Draft& d, const Value& v) {
  if (turns_on(v.state)) d.walk.age.time_letter = '3';
  return true;
}

bool all_hash_times(Draft& d, const Value& v) {
  all_times(d, v);
  if (turns_on(v.state)) d.scan.digests.md5 = true;
  return true;
}

// Each SPLIT line counts one more quiet request, with a value or without.
bool split(Draft& d, const Value&) {
  d.add_quiet();
  d.split_log = true;
  return true;
}

using namespace values;

constexpr Match kBegins = Match::kBegins, kContains = Match::kContains;
constexpr Switch kOn = Switch::kOn, kOff = Switch::kOff, kKeep = Switch::kKeep;

// --- Lines without "=" ----------------------------------------------------------

constexpr const char* kModifierAt = "\nMissing ini file modifier at: %s";
constexpr const char* kIllegal = "\nIllegal ini file directive %s";
constexpr const char* kMissingIllegal = "\nMissing/Illegal ini file directive %s";

void log_off(Draft& d) {
  d.log_wanted = false;
}
void exclusions_on(Draft& d) {
  d.walk.exclusions_on = true;
}
void no_min_size(Draft& d) {
  d.walk.min_size.reset();
}
void no_max_size(Draft& d) {
  d.walk.max_size.reset();
}
void age_off(Draft& d) {
  d.walk.age.on = false;
}
void output_off(Draft& d) {
  d.report.target = ReportTarget::kStandardOutput;
}
void split_off(Draft& d) {
  d.add_quiet();
  d.split_log = false;
}
void time_letter_unset(Draft& d) {
  d.walk.age.time_letter = 'w';
}

// clang-format off
constexpr Bare kAccountingBare{"\nMissing ini file modifier at: %s=", 2, nullptr, log_off};
constexpr Bare kModifierBare{kModifierAt};
constexpr Bare kMissingIllegalBare{kMissingIllegal};
constexpr Bare kDelimiterBare{"\nMissing ini file directive %s"};
constexpr Bare kDisplaceBare{"\nMissing ini file directive: %s", 0};
constexpr Bare kExclusionBare{"\nMissing/illegal ini file directive %s", 2, nullptr, exclusions_on};
constexpr Bare kGreaterBare{kModifierAt, 3, "\nGREATER size option turned OFF", no_min_size};
constexpr Bare kLessBare{kIllegal, 3, "\nLESSTHAN size option turned OFF", no_max_size};
constexpr Bare kNewerBare{"\nMissing ini modifier at: %s", 2, "\nAging modifier turned off", age_off};
constexpr Bare kOlderBare{kModifierAt, 2, "\nAging modifier turned off", age_off};
// The output is turned off only once the warning has been read: an interrupt
// in the pause ends the run with the output it had.
constexpr Bare kOutputBare{kModifierAt, 3, "Output set to NOne\n", output_off, true};
constexpr Bare kRecurseBare{"\nMissing ini file directive at: %s"};
constexpr Bare kIllegalBare{kIllegal};
constexpr Bare kSplitBare{kIllegal, 2, nullptr, split_off};
constexpr Bare kTimeBare{kIllegal, 2, nullptr, time_letter_unset};

constexpr Rules kAgeRules{.day_count_keeps_flag = true, .letters_anywhere = true};
constexpr Reading kAsWritten{.as_written = true};
constexpr Reading kOnOff{.on_off = true};

// The family's directives, tried in this order; the first match wins, so a
// "contains" directive early in the table can take a line meant for a later
// one (OUTPUT=/X/OLDER.TXT is an OLDER line).
constexpr IniRow kFamilyDirectives[] = {
    // A log opened from the environment stays open when the INI turns logging off.
    {{"ACCT", "ACCTING", "ACCOUNT", "LOG"}, kBegins, accounting_log, nullptr, kKeep,
     {.empty_ignored = true, .off_word = true}, kAsWritten, &kAccountingBare},
    {{"ALL_HT"}, kBegins, all_hash_times, nullptr, kKeep, {}, kOnOff, &kModifierBare},
    {{"ALL_TIMES", "ALLTIMES"}, kBegins, all_times, nullptr, kKeep, {},
     {.on_off = true, .bare_means_on = true}},
    {{"APPEND"}, kBegins, switch_field, field<&ReportOptions::append>, kOn},
    {{"AUTO"}, kBegins, switch_field, field<&RunOptions::auto_width>, kOn},
    {{"COMMENT"}, kBegins, no_effect},
    // A standing switch: it can be turned off again and leaves the hashes alone.
    {{"CRC"}, kBegins, switch_field, field<&DigestRequest::crc32>, kOn},
    // A comma does not quote: quoting is asked for on the command line only.
    {{"DELIM"}, kContains, delimiter, nullptr, kKeep, {.empty_ignored = true, .off_word = true},
     {}, &kDelimiterBare},
    {{"DISPLACE"}, kContains, no_effect, nullptr, kKeep, {}, {}, &kDisplaceBare},
    // Adds: standing exclusions and those of the command line collect.
    {{"EXC", "X="}, kBegins, exclusion, nullptr, kKeep, {.empty_ignored = true}, {},
     &kExclusionBare},
    {{"EXT"}, kBegins, no_effect},
    {{"FILE"}, kBegins, name_pattern, nullptr, kKeep, {.empty_ignored = true}, {},
     &kMissingIllegalBare},
    {{"FDI"}, kBegins, no_effect, nullptr, kKeep, {}, {}, &kMissingIllegalBare},
    {{"GREATER", "LARGER", "BIGGER"}, kContains, size_greater, nullptr, kKeep, {}, {},
     &kGreaterBare},
    {{"HASH"}, kBegins, switch_field, field<&DigestRequest::md5>, kOn},
    {{"IMMEDIATE", "NO_COUNT"}, kContains, switch_field, field<&RunOptions::counting_pass>, kOn},
    {{"LESSTHAN", "SMALLER"}, kContains, size_less, nullptr, kKeep, {}, {}, &kLessBare},
    {{"MILITARY"}, kContains, no_effect},
    {{"NAMEONLY"}, kBegins, no_effect},
    // Age values: a day count leaves the given-flag alone, and the letters a, c
    // and w count anywhere in a date, not only in its first 19 characters.
    {{"NEWER", "YOUNGER"}, kContains, newer, nullptr, kKeep, kAgeRules, {}, &kNewerBare},
    {{"OLDER"}, kContains, older, nullptr, kKeep, kAgeRules, {}, &kOlderBare},
    // A standing file name: no "stdout" word, no masks, appending left to APPEND.
    {{"OUTPUT"}, kBegins, output_file, nullptr, kKeep, {.empty_ignored = true}, kAsWritten,
     &kOutputBare},
    {{"PATH"}, kBegins, root, nullptr, kKeep, {.empty_ignored = true}, kAsWritten,
     &kMissingIllegalBare},
    {{"PPATHONLY"}, kBegins, no_effect},
    {{"PAUSE"}, kContains, no_effect},
    {{"RECURSE"}, kContains, switch_field, field<&WalkOptions::recurse>, kKeep, {}, {},
     &kRecurseBare},
    {{"RESET"}, kContains, no_effect},
    {{"REVERSE"}, kBegins, no_effect},
    {{"SHA"}, kBegins, switch_field, field<&DigestRequest::sha1>, kOn},
    {{"SILENT", "VERBOSE"}, kContains, quiet, nullptr, kOff, {}, kOnOff},
    {{"SPLIT"}, kBegins, split, nullptr, kKeep, {}, {}, &kSplitBare},
    {{"STREAM"}, kBegins, no_effect, nullptr, kKeep, {}, {}, &kIllegalBare},
    {{"SORT"}, kBegins, no_effect},
    // The letter keeps its upper case (the age filter reads "A" and "C" like
    // "a" and "c") and "3" or "0" mean nothing more here.
    {{"TIME"}, kContains, values::time_letter, nullptr, kKeep, {.letter_as_given = true}, {},
     &kTimeBare},
    {{"VAR"}, kBegins, no_effect},
    {{"WIDTH"}, kBegins, no_effect, nullptr, kKeep, {}, {}, &kModifierBare},
    {{"ZULU"}, kContains, switch_field, field<&WalkOptions::utc_times>, kKeep, {}, {},
     &kIllegalBare},
    {{"LFN"}, kContains, no_effect},
    {{"8.3"}, kContains, no_effect},
};

// Directives this program adds to the family's vocabulary. They are tried
// after every directive of the family, so a line the family takes (one with
// "TIME" in it, say) keeps its meaning.
constexpr IniRow kAddedDirectives[] = {
    {{"JOBS"}, kBegins, jobs, nullptr, kKeep, {}, {.refusal_warns = true}, &kIllegalBare},
    {{"FORMAT"}, kBegins, report_format, nullptr, kKeep, {}, {.refusal_warns = true},
     &kIllegalBare},
    {{"MBOX"}, kBegins, switch_field, field<&RunOptions::mbox>, kKeep, {}, {}, &kIllegalBare},
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

const IniRow* find_row(std::string_view line) {
  for (const IniRow& row : kFamilyDirectives) {
    if (matches(row, line)) return &row;
  }
  for (const IniRow& row : kAddedDirectives) {
    if (matches(row, line)) return &row;
  }
  return nullptr;
}

// The switch starts at the row's first value; a value with ON or YES turns
// it on, one with OFF (tested last, so it wins) turns it off.
Switch switch_state(const IniRow& row, const IniLine& l) {
  if (!l.has_value) return row.reading.bare_means_on ? kOn : row.first;
  const bool on = has(l.value, "ON") || has(l.value, "YES");
  const bool off = has(l.value, "OFF");
  if (on && off) return Switch::kOnThenOff;
  return on ? kOn : (off ? kOff : row.first);
}

// The warning with the line in place of its "%s".
std::string warning_text(const Bare& bare, std::string_view line) {
  std::string_view format = bare.warning;
  std::string text(format);
  if (const std::size_t at = format.find("%s"); at != std::string_view::npos) {
    text.replace(at, 2, line);
  }
  if (bare.second_line != nullptr) text.append(bare.second_line);
  return text;
}

void warn(Draft& d, const IniLine& l, const Bare& bare) {
  if (bare.warning == nullptr) return;
  d.show(Channel::kMessages, warning_text(bare, l.upper), bare.seconds);
}

void apply_bare(Draft& d, const IniLine& l, const Bare& bare) {
  if (!bare.sets_after_warning && bare.sets != nullptr) bare.sets(d);
  warn(d, l, bare);
  if (bare.sets_after_warning && bare.sets != nullptr) bare.sets(d);
}

}  // namespace

bool apply_ini_directive(Draft& d, const IniLine& line) {
  const IniRow* found = find_row(line.upper);
  if (found == nullptr) return false;
  const IniRow& row = *found;
  if (!line.has_value && row.bare != nullptr) {
    apply_bare(d, line, *row.bare);
    return true;
  }
  const std::string_view text = row.reading.as_written ? line.original_value : line.value;
  const bool is_switch = row.field != nullptr || row.reading.on_off;
  const Switch state = is_switch ? switch_state(row, line) : kOn;
  const bool accepted = row.apply(d, Value{text, Source::kIniFile, row.rules, state, row.field});
  if (!accepted && row.reading.refusal_warns) warn(d, line, *row.bare);
  return true;
}

}  // namespace mailsift
