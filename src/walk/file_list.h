// File-list mode: the messages to report are listed in a text file.
#pragma once

namespace mailsift {

struct RunContext;

// Dispatches every path of ctx.file_list, up to its first empty line.
void read_file_list(RunContext& ctx);

}  // namespace mailsift
