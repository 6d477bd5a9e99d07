#include "app/pause.h"

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/platform.h"

namespace mailsift {

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
