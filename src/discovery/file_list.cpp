// PLACEHOLDER: replaced by the outputs work.
#include "discovery/file_list.h"

namespace mailsift {

void read_file_list(RunContext&) {}

}  // namespace mailsift
