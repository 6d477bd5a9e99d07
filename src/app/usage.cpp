// The usage text, written to standard error in pages of 24 lines with a
// prompt between pages when someone is there to answer it.
#include "app/usage.h"

#include <string>

#include "app/banner.h"
#include "app/run_context.h"
#include "app/terminate.h"
#include "app/usage_text.h"
#include "platform/platform.h"
#include "util/ascii.h"

namespace mailsift {

namespace {

constexpr int kPageLines = 24;
constexpr int kPageLimit = 21;
constexpr int kConsoleWidth = 80;
constexpr char kPrompt[] = "RETURN TO CONTINUE, ^C or x==exit";

constexpr int kEsc = 27;
constexpr int kCtrlC = 3;

// Whether the page test before group `index` (0-based, from 1) asks for a new
// page at line count n.
bool page_full(std::size_t index, int n) {
  if (index == 1 || index == 2) return n + 6 >= kPageLimit;
  if (index == 3) return n + 7 >= kPageLimit;
  return n >= kPageLimit;
}

void write_newlines(OutStream& out, int count) {
  if (count > 0) out.write(std::string(static_cast<std::size_t>(count), '\n'));
}

}  // namespace

void show_usage(RunContext& ctx) {
  ctx.start_time = ctx.clock->now();
  int n = next_page(ctx, 0);
  for (std::size_t g = 0; g < kUsageGroupCount; ++g) {
    if (g > 0 && page_full(g, n)) n = next_page(ctx, n);
    const UsageGroup& group = usage_group(g);
    for (std::size_t i = 0; i < group.line_count; ++i) {
      ctx.console.err.write(group.lines[i]);
      ctx.console.err.write("\n");
    }
    n += group.page_lines;
  }
  static constexpr const char* kModules[] = {"eml_base", "eml_program", "new_do_eml"};
  for (int i = 0; i < 3; ++i) {
    ctx.console.err.format("%15s last updated: %s %s\n", kModules[i], build_date(), build_time());
  }
  ctx.console.err.write("\n");
}

int next_page(RunContext& ctx, int line_count) {
  OutStream& err = ctx.console.err;
  if (line_count < kPageLines - 1) write_newlines(err, kPageLines - line_count);
  // The prompt waits for a key only when someone can see it and answer:
  // redirected input or output gets the whole text at once.
  if (ctx.usage_pages > 0 && ctx.console.stdin_is_terminal && ctx.console.stderr_is_terminal) {
    err.write("\n");
    center_text(kConsoleWidth, kPrompt, err);
    err.flush();
    int key = platform::read_raw_key();
    if (key >= 0 && key <= 0x7F) key = ascii_upper(static_cast<char>(key));
    if (key < 0 || key == 'X' || key == kEsc || key == kCtrlC) plain_exit(ctx, kIllegalOption);
  }
  ++ctx.usage_pages;
  write_newlines(err, kPageLines);
  err.write("\n\n");
  int n = show_banner(ctx, 2);
  err.write("\n\n");
  return n + 2;
}

}  // namespace mailsift
