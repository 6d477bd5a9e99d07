#include "config/settings.h"

namespace mailsift {

void apply_program_defaults(Settings& settings) {
  settings.name_width = 32;
  settings.military_time = 1;
  settings.streams_on = 1;
  settings.pause_on = 0;
  settings.recurse = 1;
}

}  // namespace mailsift
