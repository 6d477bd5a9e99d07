// The handlers of the configuration values: one per kind of value, shared by
// the option letters, the long options and the INI file. Each source finds
// the row for what it reads, takes the value its own way and hands it here;
// the rules in a row name what that source does differently, and the row says
// why. A setting the family's vocabulary holds but this program does not use
// is a row with no_effect: accepted, its value taken as the row says, and
// nothing stored.
#pragma once

#include <cstdint>
#include <string_view>

#include "config/draft.h"

namespace mailsift {

enum class Source : std::uint8_t { kLetter, kLongOption, kIniFile };

// What a source's reading makes of a switch. kOnThenOff: the value said both
// (an INI value with ON and OFF); whatever ON does is done, then OFF wins.
enum class Switch : std::uint8_t { kKeep, kOn, kOff, kToggle, kOnThenOff };

// The deliberate differences between the sources, named in a row.
struct Rules {
  bool empty_ignored = false;         // an empty value changes nothing
  bool off_word = false;              // a value containing OFF (any case) turns the setting off
  bool note_names_value = false;      // log: the note in the replaced log names the value as typed
  bool stdout_word = false;           // output: "stdout" (any case) means standard output
  bool expand_masks = false;          // output: date, time and computer-name masks are expanded
  bool new_output = false;            // output: appending is turned off
  bool comma_quotes = false;          // delimiter: a comma switches quoted fields on
  bool pipe_word = false;             // delimiter: the word "pipe" gives "|"
  bool no_separators = false;         // pattern: a "/" or "\" is refused with a message
  bool day_count_keeps_flag = false;  // age: a day count leaves the given-flag alone
  bool letters_anywhere = false;      // age: a, c and w count anywhere in a date value
  bool letter_as_given = false;       // time letter: stored as given, nothing else read
};

// A switch a row sets: one bool of an option record.
using BoolField = bool& (*)(Draft& d);

template <class Record>
Record& record_of(Draft& d);
template <>
inline WalkOptions& record_of(Draft& d) {
  return d.walk;
}
template <>
inline ReportOptions& record_of(Draft& d) {
  return d.report;
}
template <>
inline RunOptions& record_of(Draft& d) {
  return d.run;
}
template <>
inline DigestRequest& record_of(Draft& d) {
  return d.scan.digests;
}

template <class Member>
struct MemberOf;
template <class Record, class Value>
struct MemberOf<Value Record::*> {
  using Of = Record;
};

// The switch `Member` names: field<&WalkOptions::recurse>.
template <auto Member>
bool& field(Draft& d) {
  return record_of<typename MemberOf<decltype(Member)>::Of>(d).*Member;
}

// One value as a source hands it over.
struct Value {
  std::string_view text;  // empty when none was given
  Source source = Source::kLetter;
  Rules rules;
  Switch state = Switch::kOn;
  BoolField field = nullptr;  // the switch a switch row sets
};

// False when the value is refused; each source reports that its own way.
// A handler that ends the run calls d.end_run() and returns at once.
using Handler = bool (*)(Draft& d, const Value& value);

void apply_switch(bool& field, Switch state);
inline bool turns_on(Switch state) {
  return state == Switch::kOn || state == Switch::kOnThenOff;
}
inline bool turns_off(Switch state) {
  return state == Switch::kOff || state == Switch::kOnThenOff;
}

namespace values {

bool no_effect(Draft& d, const Value& v);
bool switch_field(Draft& d, const Value& v);  // the row's field
bool quiet(Draft& d, const Value& v);         // a switch: 1 on, 0 off
bool accounting_log(Draft& d, const Value& v);
bool output_file(Draft& d, const Value& v);
bool root(Draft& d, const Value& v);
bool name_pattern(Draft& d, const Value& v);
bool exclusion(Draft& d, const Value& v);
bool size_greater(Draft& d, const Value& v);
bool size_less(Draft& d, const Value& v);
bool older(Draft& d, const Value& v);
bool newer(Draft& d, const Value& v);
bool delimiter(Draft& d, const Value& v);
// "csv", "jsonl" (or "json") or "plain", in any case, blanks after it
// allowed; anything else is refused.
bool report_format(Draft& d, const Value& v);
// A whole number from 0 to kMaxJobCount, blanks after it allowed; anything
// else is refused.
bool jobs(Draft& d, const Value& v);
bool time_letter(Draft& d, const Value& v);
// CRC-32 asked for; SHA-1 and MD5 withdrawn.
bool crc(Draft& d, const Value& v);

// A list of exclusions that replaces the one before (the letter "x").
void begin_exclusions(Draft& d);
void end_exclusions(Draft& d);  // too many: message and the end of the run

}  // namespace values

}  // namespace mailsift
