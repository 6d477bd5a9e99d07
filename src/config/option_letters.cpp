// The single-letter options: one handler per letter, looked up in a table in
// the order the letters are read.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "config/long_options.h"
#include "config/numbers.h"
#include "config/option_cursor.h"
#include "config/options.h"
#include "config/settings.h"
#include "discovery/age_filter.h"
#include "discovery/roots.h"
#include "platform/platform.h"
#include "report/output_file.h"
#include "run/accounting_log.h"
#include "run/format.h"
#include "run/run_context.h"
#include "run/terminate.h"
#include "run/usage.h"

namespace mailsift {

namespace {

constexpr std::size_t kMaxCommentLength = 127;
constexpr std::uint32_t kAttrAllClearable = platform::kAttrArchive | platform::kAttrEncrypted |
                                            platform::kAttrHidden | platform::kAttrReadOnly;

[[noreturn]] void fail(OptionCursor& c) {
  terminate_run(c.ctx, kIllegalOption);
}

[[noreturn]] void usage_and_fail(OptionCursor& c) {
  show_usage(c.ctx);
  terminate_run(c.ctx, kIllegalOption);
}

bool begins_with_dash(const std::string& s) {
  return !s.empty() && s[0] == '-';
}

// A value that must be given, and must not look like the next option when
// it stands on its own.
bool usable(const OptionValue& v) {
  return v.present && !(v.separate && begins_with_dash(v.text));
}

Settings& settings(OptionCursor& c);

void long_option(OptionCursor& c) {
  std::string& arg = c.ctx.args[c.arg];
  std::string text = arg.substr(c.pos + 1);
  c.rest_taken = true;
  int refused = parse_long_option(c.ctx, text);
  // The argument keeps what the long option made of it (upper-cased ON/OFF).
  c.ctx.args[c.arg].replace(c.pos + 1, std::string::npos, text);
  if (refused != 0) {
    c.ctx.message_stream().format("\nIllegal option: %s", text.c_str());
    fail(c);
  }
}

void accounting(OptionCursor& c) {
  Settings& s = settings(c);
  if (c.pos > 0 && c.current()[c.pos - 1] == '+') {
    s.accounting_on = 0;
    c.ctx.accounting_log.close();
    return;
  }
  s.accounting_on = 1;
  OptionValue v = take_value(c, false);
  if (!usable(v)) usage_and_fail(c);
  std::string full;
  if (!platform::make_absolute(v.text, full)) fail(c);
  s.accounting_path = full;
  if (c.ctx.accounting_log.is_open()) replace_accounting_log(c.ctx, LogReplacedBy::kOption, full);
}

void usage_request(OptionCursor& c) {
  usage_and_fail(c);
}

void attribution(OptionCursor& c) {
  settings(c).show_sha_credits = 1;
  c.ctx.console_out.write(
      "\nThe SHA-2 hash routines shared by this family of tools are built on a\n"
      "public-domain implementation of the FIPS 180-2 algorithms. Our thanks go\n"
      "to its authors, who allow it to be used freely with or without credit.\n");
  plain_exit(c.ctx, kIllegalOption);
}

void comment(OptionCursor& c) {
  Settings& s = settings(c);
  s.comment_on = 1;
  OptionValue v = take_value(c, false);
  if (!usable(v)) usage_and_fail(c);
  std::string text = v.text.substr(0, kMaxCommentLength);
  s.comment_width = static_cast<std::int32_t>(text.size());
  constexpr std::string_view kComputerName = "COMPUTERNAME";
  if (istarts_with(text, kComputerName) && text.size() > kComputerName.size()) {
    std::string_view rest = std::string_view(text).substr(kComputerName.size());
    if (rest[0] == '=' || rest[0] == ':') rest.remove_prefix(1);
    s.comment_width = read_int32(rest);
    text.resize(kComputerName.size());
  } else if (std::size_t sep = text.find_first_of("=:"); sep != std::string::npos) {
    std::size_t used = 0;
    std::int64_t width = read_int64_prefix(std::string_view(text).substr(sep + 1), used);
    if (used > 0) {
      text.resize(sep);
      if (width > s.comment_width) {
        s.comment_width = static_cast<std::int32_t>(width > std::numeric_limits<std::int32_t>::max()
                                                        ? std::numeric_limits<std::int32_t>::max()
                                                        : width);
      }
    }
  }
  s.comment_text = text;
}

void size_limit(OptionCursor& c, bool greater) {
  OptionValue v = take_value(c, false);
  if (!usable(v)) fail(c);
  Settings& s = settings(c);
  if (greater) {
    s.size_greater_on = 1;
    s.size_greater = read_int64(v.text);
  } else {
    s.size_less_on = 1;
    s.size_less = read_int64(v.text);
  }
}
void size_greater(OptionCursor& c) {
  size_limit(c, true);
}
void size_less(OptionCursor& c) {
  size_limit(c, false);
}

void path_only(OptionCursor& c) {
  Settings& s = settings(c);
  if (c.plus_form()) {
    s.path_only = 0;
    return;
  }
  s.name_only = 1;
  s.path_only = s.path_only == 0 ? 1 : 0;
}

void output(OptionCursor& c) {
  Settings& s = settings(c);
  if (c.plus_form()) {
    s.append_output = 0;
    s.output_mode = 0;
    return;
  }
  s.output_mode = 1;
  OptionValue v = take_value(c, false);
  if (!usable(v)) fail(c);
  if (iequals(v.text, "stdout")) {
    s.output_mode = -1;
    s.append_output = 0;
    return;
  }
  std::string full;
  if (!platform::make_absolute(v.text, full)) fail(c);
  // Masks count only at the start of a path component (or anywhere for the
  // computer name); the masks themselves are capitals.
  if (full.find("/MMDD") != std::string::npos || full.find("/YY") != std::string::npos ||
      full.find("COMPUTERNAME") != std::string::npos) {
    expand_output_mask(c.ctx, full);
  }
  s.output_path = full;
}

void output_append(OptionCursor& c) {
  if (!c.plus_form()) settings(c).append_output = 1;
  output(c);
}

void pause_toggle(OptionCursor& c) {
  Settings& s = settings(c);
  s.pause_on = s.pause_on == 0 ? 1 : 0;
}

void reset_access(OptionCursor& c) {
  settings(c).reset_access = 1;
}

void time_letter(OptionCursor& c) {
  Settings& s = settings(c);
  if (c.plus_form()) {
    s.military_time = 0;
    s.time_letter = 'w';
    return;
  }
  s.military_time = 1;
  s.time_letter = 'w';
  const std::string& arg = c.current();
  char value = 0;
  if (c.pos + 1 < arg.size()) {
    // One attached character; the letters after it are options again.
    ++c.pos;
    value = arg[c.pos];
  } else if (c.has_next_argument()) {
    const std::string& next = c.next_argument();
    value = next.empty() ? '\0' : next[0];
    ++c.next_arg;
  } else {
    fail(c);
  }
  s.time_letter = static_cast<unsigned char>(value);
  if (value == '3') {
    s.all_times = 1;
  } else if (value == '0') {
    s.all_times = 0;
    s.zulu_time = 0;
    s.military_time = 0;
  } else if (value == 'W' || value == 'C' || value == 'A') {
    s.time_letter = ascii_lower(value);
    s.time_letter_set = 1;
  }
}

void reverse_time_letter(OptionCursor& c) {
  settings(c).reverse_on = 1;
  time_letter(c);
}

void width(OptionCursor& c) {
  Settings& s = settings(c);
  s.width_style += 1;
  s.variable_width = 0;
  if (c.plus_form()) return;
  OptionValue v = take_value(c, true);
  if (!v.present) fail(c);
  s.name_width = read_int32(v.text);
}

void wide_width(OptionCursor& c) {
  settings(c).width_style += 1;
  width(c);
}

void zulu(OptionCursor& c) {
  settings(c).zulu_time = 1;
}

void append(OptionCursor& c) {
  settings(c).append_output = c.plus_form() ? 0 : 1;
}

void crc(OptionCursor& c) {
  Settings& s = settings(c);
  s.crc_on = 1;
  s.sha1_on = 0;
  s.hash_on = 0;
}

void delimiter(OptionCursor& c) {
  OptionValue v = take_value(c, true);
  if (!v.present) fail(c);
  Settings& s = settings(c);
  s.delimiter = v.text.size() == 1 ? v.text[0] : static_cast<char>(read_int32(v.text) & 0xFF);
  s.delimiter_set = 1;
  if (s.delimiter == ',') s.quote_fields = 1;
  if (v.separate && begins_with_dash(v.text)) fail(c);
}

void file_patterns(OptionCursor& c) {
  while (c.has_next_argument() && !is_option_argument(c.next_argument())) {
    const std::string& pattern = c.next_argument();
    // A pattern names files inside the searched directories, never a path.
    std::size_t bad = pattern.find_first_of("/\\");
    if (bad != std::string::npos) {
      c.ctx.console_err.format("Can't have a %c in the file type option\n", pattern[bad]);
      fail(c);
    }
    add_name_pattern(c.ctx, pattern);
    ++c.next_arg;
  }
}

void age_limit(OptionCursor& c, bool older) {
  OptionValue v = take_value(c, false);
  if (!v.present) usage_and_fail(c);
  Settings& s = settings(c);
  s.age_filter_on = 1;
  (older ? s.older_than_date : s.newer_than_date) = 1;
  store_age_value(s, *c.ctx.clock, v.text, older);
}
void older_limit(OptionCursor& c) {
  age_limit(c, true);
}
void newer_limit(OptionCursor& c) {
  age_limit(c, false);
}

void military(OptionCursor& c) {
  Settings& s = settings(c);
  s.military_time = c.plus_form() ? 1 : (s.military_time == 0 ? 1 : 0);
}

void name_only(OptionCursor& c) {
  Settings& s = settings(c);
  s.name_only = c.plus_form() ? 0 : (s.name_only == 0 ? 1 : 0);
}

void roots(OptionCursor& c) {
  while (c.has_next_argument() && !is_option_argument(c.next_argument())) {
    add_root(c.ctx, c.next_argument());
    ++c.next_arg;
  }
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

void attributes(OptionCursor& c) {
  Settings& s = settings(c);
  s.change_attributes = 1;
  const std::string& arg = c.current();
  if (c.pos + 1 >= arg.size()) return;
  const char sign = arg[c.pos + 1];
  if (sign != '-' && sign != '+') return;  // the next character is an option letter
  c.rest_taken = true;
  for (std::size_t i = c.pos + 2; i < arg.size(); ++i) {
    const char letter = arg[i];
    if (letter == '0' || letter == 'N' || letter == 'n') {
      if (sign == '+') s.attr_add_mask = 0;
      s.attr_remove_mask = kAttrAllClearable;
      continue;
    }
    (sign == '-' ? s.attr_remove_mask : s.attr_add_mask) |= attribute_bit(letter);
  }
}

void recurse(OptionCursor& c) {
  Settings& s = settings(c);
  s.recurse = c.plus_form() ? 1 : (s.recurse == 0 ? 1 : 0);
}

void exclusions(OptionCursor& c) {
  settings(c).exclusions_on = 1;
  begin_exclusions(c.ctx);
  if (c.has_next_argument() && begins_with_dash(c.next_argument())) {
    show_usage(c.ctx);
    plain_exit(c.ctx, kIllegalOption);
  }
  while (c.has_next_argument() && !is_option_argument(c.next_argument())) {
    add_exclusion(c.ctx, c.next_argument());
    ++c.next_arg;
  }
  end_exclusions(c.ctx);
}

struct LetterOption {
  char letter;
  void (*apply)(OptionCursor&);
};

constexpr LetterOption kLetters[] = {
    {'-', long_option},   {'1', accounting},   {'?', usage_request}, {'@', attribution},
    {'C', comment},       {'G', size_greater}, {'L', size_less},     {'N', path_only},
    {'O', output_append}, {'P', pause_toggle}, {'R', reset_access},  {'T', reverse_time_letter},
    {'W', wide_width},    {'Z', zulu},         {'z', zulu},          {'a', append},
    {'c', crc},           {'d', delimiter},    {'f', file_patterns}, {'g', older_limit},
    {'l', newer_limit},   {'m', military},     {'n', name_only},     {'o', output},
    {'p', roots},         {'q', attributes},   {'r', recurse},       {'t', time_letter},
    {'w', width},         {'x', exclusions},
};

Settings& settings(OptionCursor& c) {
  return c.ctx.settings;
}

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

}  // namespace

const std::string& OptionCursor::current() const {
  return ctx.args[arg];
}

bool OptionCursor::has_next_argument() const {
  return next_arg < ctx.args.size();
}

const std::string& OptionCursor::next_argument() const {
  return ctx.args[next_arg];
}

OptionValue take_value(OptionCursor& c, bool skip_equal) {
  OptionValue v;
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

bool is_option_argument(const std::string& argument) {
  return !argument.empty() && (argument[0] == '-' || argument[0] == '+');
}

void apply_option_letter(OptionCursor& c) {
  const char letter = c.letter();
  for (const LetterOption& option : kLetters) {
    if (option.letter == letter) {
      option.apply(c);
      return;
    }
  }
  OutStream& messages = c.ctx.message_stream();
  messages.format("\nIllegal option %s\n", letter_text(c.current(), c.pos).c_str());
  wait_seconds(c.ctx, messages, 2);
  fail(c);
}

}  // namespace mailsift
