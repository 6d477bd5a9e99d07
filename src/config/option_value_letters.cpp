// Option letters that read a value: the accounting log, the comment, the
// size limits, the report output, the time letter, the width, the delimiter
// and the attribute masks.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "app/accounting_log.h"
#include "app/run_context.h"
#include "config/option_cursor.h"
#include "config/settings.h"
#include "platform/platform.h"
#include "report/output_file.h"
#include "util/numbers.h"

namespace mailsift::option_letters {

namespace {

constexpr std::size_t kMaxCommentLength = 127;
constexpr std::uint32_t kAttrAllClearable = platform::kAttrArchive | platform::kAttrEncrypted |
                                            platform::kAttrHidden | platform::kAttrReadOnly;

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

}  // namespace

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

void size_greater(OptionCursor& c) {
  size_limit(c, true);
}

void size_less(OptionCursor& c) {
  size_limit(c, false);
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
  if (has_output_mask(full)) {
    expand_output_mask(*c.ctx.clock, c.ctx.computer_name_source, full);
  }
  s.output_path = full;
}

void output_append(OptionCursor& c) {
  if (!c.plus_form()) settings(c).append_output = 1;
  output(c);
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

void delimiter(OptionCursor& c) {
  OptionValue v = take_value(c, true);
  if (!v.present) fail(c);
  Settings& s = settings(c);
  s.delimiter = v.text.size() == 1 ? v.text[0] : static_cast<char>(read_int32(v.text) & 0xFF);
  s.delimiter_set = 1;
  if (s.delimiter == ',') s.quote_fields = 1;
  if (v.separate && begins_with_dash(v.text)) fail(c);
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

}  // namespace mailsift::option_letters
