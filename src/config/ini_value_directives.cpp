// The INI directives that carry a value: files, patterns, sizes, ages, the
// delimiter and the time letter.
#include <string>

#include "config/ini_handlers.h"
#include "util/numbers.h"
#include "config/options.h"
#include "walk/age_filter.h"
#include "walk/roots.h"
#include "platform/platform.h"
#include "app/accounting_log.h"
#include "util/count_format.h"
#include "app/pause.h"
#include "app/run_context.h"

namespace mailsift::ini {

namespace {

bool full_path(std::string_view value, std::string& out) {
  return !value.empty() && platform::make_absolute(std::string(value), out);
}

// A value with "-", "/" or a backslash is a date; anything else a day count,
// which leaves the date flag alone.
void age_value(RunContext& ctx, const IniLine& l, bool older) {
  Settings& s = ctx.settings;
  s.age_filter_on = 1;
  const bool is_date = l.value.find_first_of("-/\\") != std::string_view::npos;
  std::int32_t& date_flag = older ? s.older_than_date : s.newer_than_date;
  const std::int32_t flag_before = date_flag;
  if (is_date) note_date_letters(s, l.value);
  store_age_value(s, *ctx.clock, narrow_copy(l.value), older);
  date_flag = is_date ? 1 : flag_before;
}

}  // namespace

void warn(RunContext& ctx, const char* fmt, const IniLine& l, int seconds, const char* second) {
  OutStream& messages = ctx.console.messages();
  messages.format(fmt, std::string(l.upper).c_str());
  if (second != nullptr) messages.write(second);
  wait_seconds(ctx, messages, seconds);
}

void accounting(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s=", l, 2);
    s.accounting_on = 0;
    return;
  }
  // A log opened from the environment stays open when the INI turns logging off.
  if (has(l.value, "OFF")) {
    s.accounting_on = 0;
    return;
  }
  std::string path;
  if (!full_path(l.original_value, path)) return;
  s.accounting_path = path;
  s.accounting_on = 1;
  replace_accounting_log(ctx, LogReplacedBy::kIniFile, path);
}

void delimiter(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file directive %s", l, 2);
    s.delimiter_set = 0;
    return;
  }
  if (has(l.value, "OFF")) {
    s.delimiter_set = 0;
    return;
  }
  s.delimiter_set = 1;
  // One character is the delimiter itself; more are its decimal code. An
  // empty value leaves the delimiter alone rather than making it a NUL.
  if (l.value.size() == 1) {
    s.delimiter = l.value[0];
  } else if (l.value.size() > 1) {
    s.delimiter = static_cast<char>(read_int32(l.value) & 0xFF);
  }
}

void displace(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    ctx.console.messages().format("\nMissing ini file directive: %s", std::string(l.upper).c_str());
    ctx.settings.begin_offset = 0;
    return;
  }
  ctx.settings.begin_offset = has(l.value, "OFF") ? 0 : read_int64(l.value);
}

// Adds to the exclusion list; the command-line option replaces it instead.
void exclusion(RunContext& ctx, const IniLine& l) {
  ctx.settings.exclusions_on = 1;
  if (!l.has_value) {
    warn(ctx, "\nMissing/illegal ini file directive %s", l, 2);
    return;
  }
  if (!l.value.empty()) add_exclusion(ctx, std::string(l.value));
}

void file_pattern(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing/Illegal ini file directive %s", l, 2);
    return;
  }
  if (!l.value.empty()) add_name_pattern(ctx, narrow_copy(l.value));
}

void size_greater(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s", l, 3, "\nGREATER size option turned OFF");
    s.size_greater_on = 0;
    return;
  }
  s.size_greater_on = 1;
  s.size_greater = read_int64(l.value);
}

void size_less(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nIllegal ini file directive %s", l, 3, "\nLESSTHAN size option turned OFF");
    s.size_less_on = 0;
    return;
  }
  s.size_less_on = 1;
  s.size_less = read_int64(l.value);
}

void newer(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing ini modifier at: %s", l, 2, "\nAging modifier turned off");
    ctx.settings.age_filter_on = 0;
    return;
  }
  age_value(ctx, l, false);
}

void older(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s", l, 2, "\nAging modifier turned off");
    ctx.settings.age_filter_on = 0;
    return;
  }
  age_value(ctx, l, true);
}

// Unlike the command-line option: no "stdout" keyword, no date masks, and the
// append setting is left alone.
void output(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s", l, 3, "Output set to NOne\n");
    s.output_mode = 0;
    return;
  }
  std::string path;
  if (!full_path(l.original_value, path)) return;
  s.output_mode = 1;
  s.output_path = path;
}

void root_path(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing/Illegal ini file directive %s", l, 2);
    return;
  }
  if (!l.original_value.empty()) add_root(ctx, std::string(l.original_value));
}

// The letter stays upper case (the age filter reads "A" and "C" like "a" and "c").
void time_letter(RunContext& ctx, const IniLine& l) {
  Settings& s = ctx.settings;
  s.time_letter_set = 1;
  if (!l.has_value) {
    s.time_letter = 'w';
    warn(ctx, "\nIllegal ini file directive %s", l, 2);
    return;
  }
  if (!l.value.empty()) s.time_letter = static_cast<unsigned char>(l.value[0]);
  s.military_time = 1;
}

void width(RunContext& ctx, const IniLine& l) {
  if (!l.has_value) {
    warn(ctx, "\nMissing ini file modifier at: %s", l, 2);
    return;
  }
  ctx.settings.name_width = read_int32(l.value);
}

}  // namespace mailsift::ini
