#include "app/pause.h"

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/platform.h"

namespace mailsift {

void wait_seconds(RunContext& ctx, const OutStream& warned_on, int seconds) {
  if (seconds <= 0) return;
  if (!ctx.console.shows_on_terminal(warned_on)) return;
  ctx.console.flush();
  platform::sleep_seconds(seconds);
  check_interrupt(ctx);
}

}  // namespace mailsift
