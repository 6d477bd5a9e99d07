// The run's side of configuration: reading it, and carrying out in order
// what it asks of the run.
#pragma once

#include "config/config_actions.h"

namespace mailsift {

struct RunContext;

// Reads the environment, the INI file and ctx.args; carries out each action
// as soon as configuration knows it, then keeps the options (and the
// arguments as the log echoes them) in ctx. A run that configuration stops
// ends here.
void configure_run(RunContext& ctx);

// Carries out one action. A run it ends (EndRun, a log that cannot be
// prepared or a list file that cannot be opened, an interrupt in a pause)
// ends with the options of action.ending.
void carry_out(RunContext& ctx, const ConfigAction& action);

}  // namespace mailsift
