// The option letters: one row per letter, looked up in a table. A row says
// how the letter takes its value (the reader) and what the value does (the
// handler shared with the long options and the INI file).
#include "config/option_letters.h"

#include <string_view>

#include "config/long_options.h"
#include "config/value_handlers.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

namespace {

// The parser's position on the command line.
struct LetterCursor {
  Draft& d;
  std::vector<std::string>& args;
  std::size_t arg = 0;       // the argument whose letters are being read
  std::size_t pos = 0;       // the current letter in it
  std::size_t next_arg = 0;  // where reading goes on after this argument
  bool rest_taken = false;   // a letter took the rest of the argument

  const std::string& current() const { return args[arg]; }
  // The "+" (off) form: the argument begins with "+".
  bool plus_form() const { return current()[0] == '+'; }
  bool has_next_argument() const { return next_arg < args.size(); }
  const std::string& next_argument() const { return args[next_arg]; }
  bool next_is_value() const { return has_next_argument() && !is_option_argument(next_argument()); }
};

// A value read for a letter.
struct LetterValue {
  bool present = false;
  bool separate = false;  // taken from the next argument
  std::string text;

  // Given, and not the next option standing on its own.
  bool usable() const { return present && !(separate && !text.empty() && text[0] == '-'); }
};

// The rest of the argument when the letter is not its last character (one
// leading "=" skipped when asked), else the next argument, which is consumed.
LetterValue take_value(LetterCursor& c, bool skip_equal) {
  LetterValue v;
  const std::string& arg = c.current();
  if (c.pos + 1 < arg.size()) {
    std::size_t from = c.pos + 1;
    if (skip_equal && arg[from] == '=') ++from;
    v.present = true;
    v.text = arg.substr(from);
    c.rest_taken = true;
  } else if (c.has_next_argument()) {
    v.present = true;
    v.separate = true;
    v.text = c.next_argument();
    ++c.next_arg;
  }
  return v;
}

struct LetterRow;
using Reader = void (*)(LetterCursor& c, const LetterRow& row);

struct LetterRow {
  char letter;
  Reader read;
  Handler apply = nullptr;
  BoolField field = nullptr;
  Switch minus = Switch::kOn;  // what "-x" does to the switch
  Switch plus = Switch::kOn;   // what "+x" does
  Rules rules{};
};

void fail(LetterCursor& c) {
  c.d.fail();
}

void usage_and_fail(LetterCursor& c) {
  c.d.add(ShowUsage{});
  c.d.fail();
}

bool apply(LetterCursor& c, const LetterRow& row, std::string_view text,
           Switch state = Switch::kOn) {
  return row.apply(c.d, Value{text, Source::kLetter, row.rules, state, row.field});
}

// --- How a letter takes its value --------------------------------------------

void flag(LetterCursor& c, const LetterRow& row) {
  apply(c, row, {}, c.plus_form() ? row.plus : row.minus);
}

// A value that must be usable; without one the run ends.
void value(LetterCursor& c, const LetterRow& row) {
  LetterValue v = take_value(c, false);
  if (!v.usable() || !apply(c, row, v.text)) fail(c);
}

// The same, with the usage text when the value is missing.
void value_or_usage(LetterCursor& c, const LetterRow& row) {
  LetterValue v = take_value(c, false);
  if (!v.usable()) return usage_and_fail(c);
  if (!apply(c, row, v.text)) fail(c);
}

// A date or day count: any value will do, even one beginning with "-".
void age_value(LetterCursor& c, const LetterRow& row) {
  LetterValue v = take_value(c, false);
  if (!v.present) return usage_and_fail(c);
  apply(c, row, v.text);
}

// One "=" before an attached value is passed over.
void value_after_equal(LetterCursor& c, const LetterRow& row) {
  LetterValue v = take_value(c, true);
  if (!v.usable()) return fail(c);
  apply(c, row, v.text);
}

// Every following argument up to one that `ends` the list.
void argument_list(LetterCursor& c, const LetterRow& row, bool (*ends)(const std::string&)) {
  for (; c.has_next_argument() && !ends(c.next_argument()); ++c.next_arg) {
    if (!apply(c, row, c.next_argument())) return fail(c);
  }
}

bool begins_with_dash_or_plus(const std::string& a) {
  return !a.empty() && (a[0] == '-' || a[0] == '+');
}

// Every following argument up to the next option.
void arguments(LetterCursor& c, const LetterRow& row) {
  argument_list(c, row, is_option_argument);
}

// The same, up to the next "-" or "+" only: a "/" may begin a path here.
void path_arguments(LetterCursor& c, const LetterRow& row) {
  argument_list(c, row, begins_with_dash_or_plus);
}

// The following arguments replace the exclusion list.
void exclusion_list(LetterCursor& c, const LetterRow& row) {
  values::begin_exclusions(c.d);
  if (c.has_next_argument() && !c.next_argument().empty() && c.next_argument()[0] == '-') {
    c.d.add(ShowUsage{});
    c.d.end_run(kIllegalOption, false);
    return;
  }
  for (; c.next_is_value(); ++c.next_arg) apply(c, row, c.next_argument());
  values::end_exclusions(c.d);
}

// "+1" is told by the character before the letter, so that "+a1" is "+a"
// and "1" with a value.
void log_value(LetterCursor& c, const LetterRow& row) {
  if (c.pos > 0 && c.current()[c.pos - 1] == '+') {
    apply(c, row, {}, Switch::kOff);
    return;
  }
  value_or_usage(c, row);
}

void output_value(LetterCursor& c, const LetterRow& row) {
  if (c.plus_form()) {
    apply(c, row, {}, Switch::kOff);
    return;
  }
  // Named before the value is read: a run that ends for a missing value still
  // writes the summary of a run with an output file.
  c.d.report.target = ReportTarget::kFile;
  value(c, row);
}

void append_output_value(LetterCursor& c, const LetterRow& row) {
  if (!c.plus_form()) c.d.report.append = true;
  output_value(c, row);
}

// A value is needed, one "=" before an attached one passed over; "+w" takes
// none.
void width_value(LetterCursor& c, const LetterRow& row) {
  if (c.plus_form()) return;
  LetterValue v = take_value(c, true);
  if (!v.present) return fail(c);
  apply(c, row, v.text);
}

// One character: attached (the letters after it are options again) or the
// first of the next argument.
void time_value(LetterCursor& c, const LetterRow& row) {
  if (c.plus_form()) {
    apply(c, row, {}, Switch::kOff);
    return;
  }
  const std::string& arg = c.current();
  char letter = 0;
  if (c.pos + 1 < arg.size()) {
    letter = arg[++c.pos];
  } else if (c.has_next_argument()) {
    letter = c.next_argument().empty() ? '\0' : c.next_argument()[0];
    ++c.next_arg;
  } else {
    return fail(c);
  }
  apply(c, row, std::string_view(&letter, 1));
}

// "q" alone, or "q" with "+" or "-" and attribute letters taking the rest.
void attribute_masks(LetterCursor& c, const LetterRow& row) {
  c.d.walk.attributes.on = true;
  const std::string& arg = c.current();
  if (c.pos + 1 >= arg.size()) return;
  const char sign = arg[c.pos + 1];
  if (sign != '-' && sign != '+') return;  // the next character is an option letter
  c.rest_taken = true;
  apply(c, row, std::string_view(arg).substr(c.pos + 1));
}

void long_option(LetterCursor& c, const LetterRow&) {
  std::string text = c.current().substr(c.pos + 1);
  c.rest_taken = true;
  const bool accepted = parse_long_option(c.d, text);
  // The argument keeps what the long option made of it (upper-cased ON/OFF).
  c.args[c.arg].replace(c.pos + 1, std::string::npos, text);
  if (c.d.ended || accepted) return;
  c.d.show(Channel::kMessages, "\nIllegal option: " + text);
  fail(c);
}

// --- Letters of their own ------------------------------------------------------

bool usage(Draft& d, const Value&) {
  d.add(ShowUsage{});
  d.fail();
  return true;
}

bool attribution(Draft& d, const Value&) {
  d.show(Channel::kOutput,
         "\nThe SHA-2 hash routines shared by this family of tools are built on a\n"
         "public-domain implementation of the FIPS 180-2 algorithms. Our thanks go\n"
         "to its authors, who allow it to be used freely with or without credit.\n");
  d.end_run(kIllegalOption, false);
  return true;
}

std::uint32_t attribute_bit(char letter) {
  switch (ascii_upper(letter)) {
    case 'A':
      return platform::kAttrArchive;
    case 'E':
      return platform::kAttrEncrypted;
    case 'H':
      return platform::kAttrHidden;
    case 'R':
      return platform::kAttrReadOnly;
    case 'S':
      return platform::kAttrSystem;
    default:
      return 0;
  }
}

// "-" letters go to the remove mask, "+" letters to the add mask; "0" or "N"
// clears every clearable attribute.
bool attributes(Draft& d, const Value& v) {
  constexpr std::uint32_t kAllClearable = platform::kAttrArchive | platform::kAttrEncrypted |
                                          platform::kAttrHidden | platform::kAttrReadOnly;
  AttributeChange& change = d.walk.attributes;
  const char sign = v.text[0];
  for (char letter : v.text.substr(1)) {
    if (letter == '0' || letter == 'N' || letter == 'n') {
      if (sign == '+') change.added = 0;
      change.removed = kAllClearable;
      continue;
    }
    (sign == '-' ? change.removed : change.added) |= attribute_bit(letter);
  }
  return true;
}

using namespace values;

// The command line's own output forms: "stdout" and name masks that date
// each run's file.
constexpr Rules kOutputForms{.stdout_word = true, .expand_masks = true};

// A switch letter's row says what "-x" and "+x" each do. A no_effect row is
// a letter of the family's vocabulary that changes nothing here; its value
// is still taken, and required, as its reader says.
constexpr LetterRow kLetters[] = {
    {'-', long_option},
    {'1', log_value, accounting_log},
    {'?', flag, usage},
    {'@', flag, attribution},
    // A comment: a value is needed (else the usage text), and kept nowhere.
    {'C', value_or_usage, no_effect},
    {'G', value, size_greater},
    {'L', value, size_less},
    {'N', flag, no_effect},
    {'O', append_output_value, output_file, nullptr, Switch::kOn, Switch::kOn, kOutputForms},
    {'P', flag, no_effect},
    {'R', flag, no_effect},
    {'T', time_value, values::time_letter},
    {'W', width_value, no_effect},
    {'Z', flag, switch_field, field<&WalkOptions::utc_times>},
    {'z', flag, switch_field, field<&WalkOptions::utc_times>},
    {'a', flag, switch_field, field<&ReportOptions::append>, Switch::kOn, Switch::kOff},
    {'c', flag, crc},
    // A comma asks for the quoted report; only "-d" says so.
    {'d', value_after_equal, delimiter, nullptr, Switch::kOn, Switch::kOn, {.comma_quotes = true}},
    // A typed path where a file pattern belongs is a mistake worth stopping for.
    {'f', arguments, name_pattern, nullptr, Switch::kOn, Switch::kOn, {.no_separators = true}},
    {'g', age_value, older},
    {'l', age_value, newer},
    {'m', flag, no_effect},
    {'n', flag, no_effect},
    {'o', output_value, output_file, nullptr, Switch::kOn, Switch::kOn, kOutputForms},
    {'p', path_arguments, root},
    {'q', attribute_masks, attributes},
    {'r', flag, switch_field, field<&WalkOptions::recurse>, Switch::kToggle, Switch::kOn},
    {'t', time_value, values::time_letter},
    {'w', width_value, no_effect},
    // Each "-x" list replaces the one before: the latest list typed is the one meant.
    {'x', exclusion_list, exclusion},
};

// The letter as the user typed it: a whole UTF-8 character when the byte
// starts one.
std::string letter_text(const std::string& arg, std::size_t pos) {
  unsigned char lead = static_cast<unsigned char>(arg[pos]);
  std::size_t n = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 1;
  std::size_t k = 1;
  while (k < n && pos + k < arg.size() &&
         (static_cast<unsigned char>(arg[pos + k]) & 0xC0) == 0x80) {
    ++k;
  }
  return arg.substr(pos, k);
}

void apply_letter(LetterCursor& c) {
  const char letter = c.current()[c.pos];
  for (const LetterRow& row : kLetters) {
    if (row.letter == letter) return row.read(c, row);
  }
  c.d.show(Channel::kMessages, "\nIllegal option " + letter_text(c.current(), c.pos) + "\n", 2);
  fail(c);
}

}  // namespace

bool is_option_argument(const std::string& argument) {
  return !argument.empty() && platform::starts_option(argument[0]);
}

std::size_t read_option_argument(Draft& d, std::vector<std::string>& args, std::size_t index,
                                 std::size_t first) {
  LetterCursor c{d, args, index, first, index + 1};
  for (; !c.rest_taken && !d.ended && c.pos < args[index].size(); ++c.pos) apply_letter(c);
  return c.next_arg;
}

}  // namespace mailsift
