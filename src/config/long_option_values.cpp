// Long options that take a value: the accounting log, offsets, the comment,
// the delimiter, patterns, exclusions, roots, limits, the report output, the
// width and the file list.
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>

#include "config/long_option_handlers.h"
#include "util/numbers.h"
#include "walk/age_filter.h"
#include "walk/roots.h"
#include "platform/platform.h"
#include "app/accounting_log.h"
#include "app/terminate.h"

namespace mailsift::long_option_handlers {

namespace {

int age_limit(LongArgs& a, bool older) {
  if (!a.has_value) return kRefused;
  Settings& s = a.s();
  s.age_filter_on = 1;
  (older ? s.older_than_date : s.newer_than_date) = 1;
  store_age_value(s, *a.ctx.clock, a.value, older);
  return kAccepted;
}

}  // namespace

std::int32_t number(std::string_view v) {
  return read_int32(v);
}

int accounting(LongArgs& a) {
  if (!a.has_value) return kRefused;
  std::string full;
  if (!platform::make_absolute(std::string(a.value), full)) return kRefused;
  a.s().accounting_on = 1;
  a.s().accounting_path = full;
  if (a.ctx.accounting_log.is_open()) {
    replace_accounting_log(a.ctx, LogReplacedBy::kLongOption, std::string(a.value));
  }
  return kAccepted;
}

int begin_offset(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().begin_offset = read_int64(a.value);
  return kAccepted;
}

int end_offset(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().end_offset = read_int64(a.value);
  return kAccepted;
}

int comment(LongArgs& a) {
  if (!a.has_value) return kRefused;
  Settings& s = a.s();
  s.comment_on = 1;
  std::string text(a.value);
  s.comment_width = number(text);
  if (std::size_t eq = text.find('='); eq != std::string::npos) {
    std::int32_t width = number(std::string_view(text).substr(eq + 1));
    if (width > s.comment_width) {
      text.resize(eq);
      s.comment_width = width;
    }
  }
  s.comment_text = text;
  return kAccepted;
}

int delimiter(LongArgs& a) {
  if (!a.has_value) return kRefused;
  if (a.value.size() == 1) {
    a.s().delimiter = a.value[0];
  } else if (a.value == "pipe") {
    a.s().delimiter = '|';
  } else {
    a.s().delimiter = static_cast<char>(number(a.value) & 0xFF);
  }
  return kAccepted;
}

int exclude(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().exclusions_on = 1;
  add_exclusion(a.ctx, std::string(a.value));
  return kAccepted;
}

int file_pattern(LongArgs& a) {
  if (!a.has_value) return kRefused;
  add_name_pattern(a.ctx, std::string(a.value));
  return kAccepted;
}

int hashset(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().hashset_on = 1;
  return kAccepted;
}

int greater(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().size_greater_on = 1;
  a.s().size_greater = read_int64(a.value);
  return kAccepted;
}

int less(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().size_less_on = 1;
  a.s().size_less = read_int64(a.value);
  return kAccepted;
}

int level(LongArgs& a) {
  if (!a.has_value) return kRefused;
  Settings& s = a.s();
  s.level_limit_on = 1;
  s.dirsize_mode += 2;
  s.change_attributes = 1;
  std::int32_t n = number(a.value);
  s.max_level = n == std::numeric_limits<std::int32_t>::max() ? n : n + 1;
  return kAccepted;
}

int name_after(LongArgs& a) {
  Settings& s = a.s();
  s.name_after_on = 1;
  if (a.has_value) {
    s.name_after = number(a.value);
  } else if (a.text.find('=') == std::string::npos && a.text.size() > a.keyword.size()) {
    s.name_after = number(std::string_view(a.text).substr(a.keyword.size()));
  }
  return kAccepted;
}

int newer(LongArgs& a) {
  return age_limit(a, false);
}

int older(LongArgs& a) {
  return age_limit(a, true);
}

int output(LongArgs& a) {
  if (!a.has_value) return kRefused;
  std::string full;
  if (!platform::make_absolute(std::string(a.value), full)) return kRefused;
  a.s().output_mode = 1;
  a.s().append_output = 0;
  a.s().output_path = full;
  return kAccepted;
}

int path(LongArgs& a) {
  if (!a.has_value) return kRefused;
  add_root(a.ctx, std::string(a.value));
  return kAccepted;
}

int width(LongArgs& a) {
  if (!a.has_value) return kRefused;
  a.s().name_width = number(a.value);
  return kAccepted;
}

int source_list(LongArgs& a) {
  if (!a.has_value) return kAccepted;  // nothing to read: passed over
  std::string name(a.value);
  int handle = platform::open_path(name, platform::OpenMode::kRead);
  if (handle < 0) {
    a.ctx.console.messages().format("\nCannot find/open %s", name.c_str());
    plain_exit(a.ctx, kInputFile);
  }
  if (a.ctx.file_list >= 0) platform::close_handle(a.ctx.file_list);
  a.ctx.file_list = handle;
  a.s().file_list_on = 1;
  return kAccepted;
}

}  // namespace mailsift::long_option_handlers
