// The handlers of the long options that take a value, and what every
// handler shares.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "config/settings.h"
#include "app/run_context.h"

namespace mailsift::long_option_handlers {

constexpr int kAccepted = 0;
constexpr int kRefused = 1;

// What a handler sees: the whole option text (after "--") and its value.
struct LongArgs {
  RunContext& ctx;
  std::string& text;
  std::string_view keyword;
  bool has_value;          // "=" followed by at least one character
  std::string_view value;  // everything after the first "="

  Settings& s() { return ctx.settings; }
};

std::int32_t number(std::string_view v);

int accounting(LongArgs& a);
int begin_offset(LongArgs& a);
int end_offset(LongArgs& a);
int comment(LongArgs& a);
int delimiter(LongArgs& a);
int exclude(LongArgs& a);
int file_pattern(LongArgs& a);
int hashset(LongArgs& a);
int greater(LongArgs& a);
int less(LongArgs& a);
int level(LongArgs& a);
int name_after(LongArgs& a);
int newer(LongArgs& a);
int older(LongArgs& a);
int output(LongArgs& a);
int path(LongArgs& a);
int width(LongArgs& a);
int source_list(LongArgs& a);

}  // namespace mailsift::long_option_handlers
