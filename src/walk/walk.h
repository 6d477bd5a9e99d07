// The depth-first directory walk and its counting pass.
#pragma once

#include <string>

namespace mailsift {

struct RunContext;

// Walks one root (stored form plus a trailing "/"): subdirectories first, then
// the directory's own files for each name pattern.
void walk_directory(RunContext& ctx, const std::string& dir_path);

}  // namespace mailsift
