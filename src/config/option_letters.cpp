// The single-letter options: one handler per letter, looked up in a table in
// the order the letters are read.
#include <cstdint>
#include <string>
#include <string_view>

#include "config/long_options.h"
#include "util/numbers.h"
#include "config/option_cursor.h"
#include "config/options.h"
#include "config/settings.h"
#include "platform/path_syntax.h"
#include "walk/age_filter.h"
#include "walk/roots.h"
#include "util/count_format.h"
#include "app/pause.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/usage.h"

namespace mailsift {

namespace option_letters {

Settings& settings(OptionCursor& c) {
  return c.ctx.settings;
}

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

bool usable(const OptionValue& v) {
  return v.present && !(v.separate && begins_with_dash(v.text));
}

}  // namespace option_letters

namespace {

using namespace option_letters;

void long_option(OptionCursor& c) {
  std::string text = c.ctx.args[c.arg].substr(c.pos + 1);
  c.rest_taken = true;
  int refused = parse_long_option(c.ctx, text);
  // The argument keeps what the long option made of it (upper-cased ON/OFF).
  c.ctx.args[c.arg].replace(c.pos + 1, std::string::npos, text);
  if (refused != 0) {
    c.ctx.console.messages().format("\nIllegal option: %s", text.c_str());
    fail(c);
  }
}

void usage_request(OptionCursor& c) {
  usage_and_fail(c);
}

void attribution(OptionCursor& c) {
  settings(c).show_sha_credits = 1;
  c.ctx.console.out.write(
      "\nThe SHA-2 hash routines shared by this family of tools are built on a\n"
      "public-domain implementation of the FIPS 180-2 algorithms. Our thanks go\n"
      "to its authors, who allow it to be used freely with or without credit.\n");
  plain_exit(c.ctx, kIllegalOption);
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

void pause_toggle(OptionCursor& c) {
  Settings& s = settings(c);
  s.pause_on = s.pause_on == 0 ? 1 : 0;
}

void reset_access(OptionCursor& c) {
  settings(c).reset_access = 1;
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

void file_patterns(OptionCursor& c) {
  while (c.has_next_argument() && !is_option_argument(c.next_argument())) {
    const std::string& pattern = c.next_argument();
    // A pattern names files inside the searched directories, never a path.
    std::size_t bad = pattern.find_first_of("/\\");
    if (bad != std::string::npos) {
      c.ctx.console.err.format("Can't have a %c in the file type option\n", pattern[bad]);
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
  // The root list stops only at "-" or "+": a "/" may begin a path here.
  const auto ends_list = [](const std::string& a) {
    return !a.empty() && (a[0] == '-' || a[0] == '+');
  };
  while (c.has_next_argument() && !ends_list(c.next_argument())) {
    add_root(c.ctx, c.next_argument());
    ++c.next_arg;
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
  return !argument.empty() && platform::starts_option(argument[0]);
}

void apply_option_letter(OptionCursor& c) {
  const char letter = c.letter();
  for (const LetterOption& option : kLetters) {
    if (option.letter == letter) {
      option.apply(c);
      return;
    }
  }
  OutStream& messages = c.ctx.console.messages();
  messages.format("\nIllegal option %s\n", letter_text(c.current(), c.pos).c_str());
  wait_seconds(c.ctx, messages, 2);
  fail(c);
}

}  // namespace mailsift
