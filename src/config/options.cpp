// PLACEHOLDER: replaced by the command-line work. Only leading path arguments.
#include "config/options.h"

#include "config/ini_file.h"
#include "config/settings.h"
#include "discovery/roots.h"
#include "run/run_context.h"
#include "run/terminate.h"

namespace mailsift {

void parse_options(RunContext& ctx) {
  read_environment_settings(ctx);
  read_ini_file(ctx);
  std::size_t i = 1;
  for (; i < ctx.args.size(); ++i) {
    const std::string& a = ctx.args[i];
    if (!a.empty() && (a[0] == '-' || a[0] == '+')) break;
    add_path_argument(ctx, a);
  }
  if (i < ctx.args.size()) terminate_run(ctx, kIllegalOption);
  if (ctx.name_patterns.empty()) add_name_pattern(ctx, "*.*");
}

void read_environment_settings(RunContext&) {}

void note_date_letters(Settings& settings, std::string_view value) {
  for (char c : value) {
    if (c == 'a' || c == 'A') settings.date_letter_a = 'a';
    if (c == 'c' || c == 'C') settings.date_letter_c = 'c';
    if (c == 'w' || c == 'W') settings.date_letter_w = 'w';
  }
}

std::string narrow_copy(std::string_view value) { return std::string(value); }

}  // namespace mailsift
