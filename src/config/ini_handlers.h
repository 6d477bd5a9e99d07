// Shared pieces of the INI directive handlers (config/ only).
#pragma once

#include <cstdint>
#include <string_view>

#include "config/ini_directives.h"

namespace mailsift::ini {

inline bool has(std::string_view text, std::string_view word) {
  return text.find(word) != std::string_view::npos;
}
inline bool value_on(const IniLine& l) {
  return l.has_value && (has(l.value, "ON") || has(l.value, "YES"));
}
inline bool value_off(const IniLine& l) {
  return l.has_value && has(l.value, "OFF");
}

// A switch starts at `first`; a value with ON or YES turns it on, one with OFF
// (tested last, so it wins) turns it off.
inline void set_switch(std::int32_t& field, std::int32_t first, const IniLine& l) {
  field = first;
  if (value_on(l)) field = 1;
  if (value_off(l)) field = 0;
}

// Writes the message for a directive line (the upper-cased line fills its
// %s; `second` follows when given) and pauses when it reaches a terminal.
void warn(RunContext& ctx, const char* fmt, const IniLine& l, int seconds,
          const char* second = nullptr);

// Handlers of the directives that take a value.
void accounting(RunContext& ctx, const IniLine& l);
void delimiter(RunContext& ctx, const IniLine& l);
void displace(RunContext& ctx, const IniLine& l);
void exclusion(RunContext& ctx, const IniLine& l);
void file_pattern(RunContext& ctx, const IniLine& l);
void size_greater(RunContext& ctx, const IniLine& l);
void size_less(RunContext& ctx, const IniLine& l);
void newer(RunContext& ctx, const IniLine& l);
void older(RunContext& ctx, const IniLine& l);
void output(RunContext& ctx, const IniLine& l);
void root_path(RunContext& ctx, const IniLine& l);
void time_letter(RunContext& ctx, const IniLine& l);
void width(RunContext& ctx, const IniLine& l);

}  // namespace mailsift::ini
