// PLACEHOLDER: replaced by the discovery work.
#include "discovery/dispatch.h"

namespace mailsift {

void dispatch_file(RunContext&, int, const std::string&, const std::string&,
                   const platform::EntryInfo*) {}

}  // namespace mailsift
