// PLACEHOLDER: replaced by the command-line work.
#include "config/long_options.h"

namespace mailsift {

int parse_long_option(RunContext&, std::string&) { return 1; }

}  // namespace mailsift
