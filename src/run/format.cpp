#include "run/format.h"

#include "platform/platform.h"
#include "run/run_context.h"
#include "run/terminate.h"

namespace mailsift {

namespace {
std::string group_digits(std::uint64_t magnitude) {
  char digits[32];
  int n = 0;
  do {
    digits[n++] = static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  std::string out;
  out.reserve(static_cast<std::size_t>(n + n / 3));
  for (int i = n - 1; i >= 0; --i) {
    out.push_back(digits[i]);
    if (i > 0 && i % 3 == 0) out.push_back(',');
  }
  return out;
}
}  // namespace

std::string format_count(std::uint32_t value) {
  return group_digits(value);
}

std::string format_bytes(std::int64_t value) {
  if (value < 0) {
    std::uint64_t magnitude = static_cast<std::uint64_t>(-(value + 1)) + 1;
    return "-" + group_digits(magnitude);
  }
  return group_digits(static_cast<std::uint64_t>(value));
}

void wait_seconds(RunContext& ctx, const OutStream& warned_on, int seconds) {
  if (seconds <= 0) return;
  bool terminal = false;
  if (&warned_on == &ctx.console_err) {
    terminal = ctx.stderr_is_terminal;
  } else if (&warned_on == &ctx.console_out) {
    terminal = ctx.stdout_is_terminal;
  }
  if (!terminal) return;
  platform::sleep_seconds(seconds);
  check_interrupt(ctx);
}

}  // namespace mailsift
