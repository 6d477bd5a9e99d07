// PLACEHOLDER: replaced by the outputs work.
#include "config/ini_file.h"

namespace mailsift {

void read_ini_file(RunContext&) {}

}  // namespace mailsift
