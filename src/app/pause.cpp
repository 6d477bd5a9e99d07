#include "app/pause.h"

#include "platform/platform.h"
#include "util/console.h"

namespace mailsift {

bool wait_seconds(Console& console, const OutStream& warned_on, int seconds) {
  if (seconds <= 0) return false;
  if (!console.shows_on_terminal(warned_on)) return false;
  console.flush();
  platform::sleep_seconds(seconds);
  return platform::interrupted();
}

}  // namespace mailsift
