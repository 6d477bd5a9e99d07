// The usage text with its pager and banner.
#pragma once

#include <string>

namespace mailsift {

struct RunContext;
class OutStream;

void show_usage(RunContext& ctx);
int next_page(RunContext& ctx, int line_count);
int show_banner(RunContext& ctx, int line_count);
int center_text(int width, const std::string& text, OutStream& out);
// "13.08.14.09.30" and the check mark, from the build date and time.
std::string build_version();
std::string build_version_from(const char* date, const char* time);

}  // namespace mailsift
