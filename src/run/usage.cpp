// PLACEHOLDER: replaced by the command-line work.
#include "run/usage.h"

#include "run/run_context.h"

namespace mailsift {

void show_usage(RunContext& ctx) { ctx.console_err.write("usage: mailsift [paths] [options]\n"); }
int next_page(RunContext&, int line_count) { return line_count; }
int show_banner(RunContext&, int line_count) { return line_count; }
int center_text(int, const std::string&, OutStream&) { return 0; }
std::string build_version() { return "0"; }
std::string build_version_from(const char*, const char*) { return "0"; }

}  // namespace mailsift
