// The handlers of the configuration values: one per kind of value, shared by
// the option letters, the long options and the INI file. Each source finds
// the row for what it reads, takes the value its own way and hands it here;
// the rules in a row name what that source does differently, and the row says
// why.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/config_run.h"

namespace mailsift {

enum class Source : std::uint8_t { kLetter, kLongOption, kIniFile };

// What a source's reading makes of a switch. kOnThenOff: the value said both
// (an INI value with ON and OFF); whatever ON does is done, then OFF wins.
enum class Switch : std::uint8_t { kKeep, kOn, kOff, kToggle, kOnThenOff };

// The deliberate differences between the sources.
enum Rule : unsigned {
  kEmptyIgnored = 1u << 0,        // an empty value changes nothing
  kOffWord = 1u << 1,             // a value containing OFF (any case) turns the setting off
  kNoteNamesValue = 1u << 2,      // log: the note in the replaced log names the value as typed
  kStdoutWord = 1u << 3,          // output: "stdout" (any case) means standard output
  kExpandMasks = 1u << 4,         // output: date, time and computer-name masks are expanded
  kNewOutput = 1u << 5,           // output: appending is turned off
  kCommaQuotes = 1u << 6,         // delimiter: a comma switches quoted fields on
  kPipeWord = 1u << 7,            // delimiter: the word "pipe" gives "|"
  kMarksDelimiter = 1u << 8,      // delimiter: delimiter_set records the choice
  kNoSeparators = 1u << 9,        // pattern: a "/" or "\" is refused with a message
  kDayCountKeepsFlag = 1u << 10,  // age: a day count leaves the date flag alone
  kLettersAnywhere = 1u << 11,    // age: a, c and w count anywhere in a date value
  kWidthFromLength = 1u << 12,    // comment: width its length, "=n" or ":n" sets it
  kWidthFromNumber = 1u << 13,    // comment: width the number it begins with, "=n" raises it
  kLetterAsGiven = 1u << 14,      // time letter: stored as given, nothing else read
  kAlsoMilitary = 1u << 15,       // zulu: military time on too
};

using Field = std::int32_t Settings::*;

// One value as a source hands it over.
struct Value {
  std::string_view text;  // empty when none was given
  Source source = Source::kLetter;
  unsigned rules = 0;
  Switch state = Switch::kOn;
  Field field = nullptr;  // the switch a switch row sets

  bool has(Rule rule) const { return (rules & rule) != 0; }
};

// False when the value is refused; each source reports that its own way.
// A handler that ends the run sets run.stop and returns at once.
using Handler = bool (*)(ConfigRun& run, const Value& value);

void apply_switch(std::int32_t& field, Switch state);
inline bool turns_on(Switch state) {
  return state == Switch::kOn || state == Switch::kOnThenOff;
}
inline bool turns_off(Switch state) {
  return state == Switch::kOff || state == Switch::kOnThenOff;
}

namespace values {

bool switch_field(ConfigRun& run, const Value& v);  // the row's field
bool accounting_log(ConfigRun& run, const Value& v);
bool output_file(ConfigRun& run, const Value& v);
bool root(ConfigRun& run, const Value& v);
bool name_pattern(ConfigRun& run, const Value& v);
bool exclusion(ConfigRun& run, const Value& v);
bool size_greater(ConfigRun& run, const Value& v);
bool size_less(ConfigRun& run, const Value& v);
bool older(ConfigRun& run, const Value& v);
bool newer(ConfigRun& run, const Value& v);
bool delimiter(ConfigRun& run, const Value& v);
bool number(ConfigRun& run, const Value& v);  // the row's field
// The scanning threads: a whole number from 0 (one per core) to 64;
// anything else is refused.
bool thread_count(ConfigRun& run, const Value& v);
// "csv", "jsonl" (or "json") or "plain", in any case; anything else is refused.
// A refused value of either leaves the setting as it was; from the INI file
// it is warned about there and then.
bool report_format(ConfigRun& run, const Value& v);
bool begin_offset(ConfigRun& run, const Value& v);
bool end_offset(ConfigRun& run, const Value& v);
bool comment(ConfigRun& run, const Value& v);
bool time_letter(ConfigRun& run, const Value& v);
bool zulu(ConfigRun& run, const Value& v);
bool crc(ConfigRun& run, const Value& v);
bool extension(ConfigRun& run, const Value& v);

// A list of exclusions that replaces the one before (the letter "x").
void begin_exclusions(ConfigRun& run);
void end_exclusions(ConfigRun& run);  // too many: message and a stop

}  // namespace values

}  // namespace mailsift
