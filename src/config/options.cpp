// The command line: the environment step, the INI file, leading path
// arguments, then the option letters left to right, and the last set-up once
// every option is read.
#include "config/options.h"

#include <string>

#include "config/ini_file.h"
#include "util/numbers.h"
#include "config/option_cursor.h"
#include "config/settings.h"
#include "walk/age_filter.h"
#include "walk/roots.h"
#include "platform/platform.h"
#include "app/accounting_log.h"
#include "app/run_context.h"
#include "app/terminate.h"

namespace mailsift {

namespace {

// Reads the letters of args[index] from `first` on; returns the argument
// where reading goes on.
std::size_t read_option_argument(RunContext& ctx, std::size_t index, std::size_t first) {
  OptionCursor c{ctx};
  c.arg = index;
  c.next_arg = index + 1;
  for (c.pos = first; !c.rest_taken && c.pos < ctx.args[index].size(); ++c.pos) {
    apply_option_letter(c);
  }
  return c.next_arg;
}

void open_log_at_end(RunContext& ctx) {
  Settings& s = ctx.settings;
  if (s.accounting_on != 0 && !open_accounting_log(ctx, s.accounting_path)) {
    ctx.console.messages().write("\nAccounting file not opened\n");
  }
  if (!ctx.accounting_log.is_open() && s.split_log != 0) {
    s.accounting_on = 1;
    s.split_log_path = s.output_path + ".log";
    open_accounting_log(ctx, s.split_log_path);
  }
}

}  // namespace

void parse_options(RunContext& ctx) {
  set_default_bounds(ctx.settings, *ctx.clock);
  ctx.settings.quote_fields = 0;
  read_environment_settings(ctx);
  read_ini_file(ctx);

  const std::size_t count = ctx.args.size();
  std::size_t i = 1;
  for (; i < count && !is_option_argument(ctx.args[i]); ++i) add_path_argument(ctx, ctx.args[i]);

  while (i < count && is_option_argument(ctx.args[i])) {
    if (ctx.args[i] == "-.ini") {
      // Keeps the INI file out; the argument after it is read as options
      // whatever it begins with.
      ++i;
      if (i >= count) break;
    }
    i = read_option_argument(ctx, i, 1);
  }

  if (i < count) {
    OutStream& messages = ctx.console.messages();
    messages.format("\nThere appears to be an extra or eroneous item \"%s\"\n",
                    ctx.args[i].c_str());
    messages.write("at the end of the command line\n");
    messages.write("Please check your syntax, and correct to problem.\n");
    terminate_run(ctx, kIllegalOption);
  }

  if (ctx.lists.name_patterns.empty()) add_name_pattern(ctx, "*.*");
  open_log_at_end(ctx);
}

void read_environment_settings(RunContext& ctx) {
  std::string value;
  if (platform::get_environment("ACCT", value)) {
    open_accounting_log(ctx, iequals(value, "ON") ? std::string("ACCT-ING") : value);
  }
  if (platform::get_environment("DELIMETER", value)) {
    std::string_view v = value;
    if (!v.empty() && v[0] == '"') v.remove_prefix(1);
    // An empty value gives the terminator as the delimiter, as a C string would.
    ctx.settings.delimiter = v.empty() ? '\0' : v[0];
    ctx.console.messages().format("env points to :%s:", std::string(v).c_str());
  }
}

void note_date_letters(Settings& settings, std::string_view value) {
  for (char c : value) {
    const char lower = ascii_lower(c);
    if (lower == 'a') settings.date_letter_a = 'a';
    if (lower == 'c') settings.date_letter_c = 'c';
    if (lower == 'w') settings.date_letter_w = 'w';
  }
}

std::string narrow_copy(std::string_view value) {
  return std::string(value);
}

}  // namespace mailsift
