// The run's search roots, name patterns and exclusion patterns.
#include "walk/roots.h"

#include "app/run_context.h"
#include "app/terminate.h"
#include "platform/path_syntax.h"
#include "platform/platform.h"
#include "util/characters.h"
#include "walk/match_pattern.h"

namespace mailsift {

void add_root(RunContext& ctx, const std::string& path) {
  std::string stored;
  if (!platform::make_absolute(path, stored)) return;
  platform::drop_trailing_separator(stored);
  platform::add_long_path_prefix(stored);
  // Two roots are one when the file system takes them for the same name
  // (byte for byte where names are case-sensitive).
  for (const std::string& root : ctx.lists.roots) {
    if (platform::same_path(root, stored)) return;
  }
  ctx.lists.roots.push_back(std::move(stored));
}

void add_name_pattern(RunContext& ctx, const std::string& pattern) {
  for (const std::string& known : ctx.lists.name_patterns) {
    if (known == pattern) return;
  }
  ctx.lists.name_patterns.push_back(pattern);
}

void add_path_argument(RunContext& ctx, const std::string& argument) {
  std::string absolute;
  if (!platform::make_absolute(argument, absolute)) return;
  if (absolute.find('*') == std::string::npos && platform::is_directory(absolute)) {
    add_root(ctx, absolute);
    return;
  }
  // A pattern, a single file or a name that does not exist: the directory
  // part becomes the root and the last component the pattern.
  std::string directory;
  std::string name;
  platform::split_path(absolute, directory, name);
  platform::drop_trailing_separator(directory);
  if (directory.empty()) return;
  add_root(ctx, directory);
  if (!name.empty()) add_name_pattern(ctx, name);
}

void add_current_directory(RunContext& ctx) {
  std::string cwd;
  if (platform::current_directory(cwd)) add_root(ctx, cwd);
}

void begin_exclusions(RunContext& ctx) {
  ctx.lists.exclusions.clear();
}

void add_exclusion(RunContext& ctx, const std::string& pattern) {
  std::string upper = pattern;
  for (char& c : upper) c = static_cast<char>(ascii_upper(static_cast<unsigned char>(c)));
  ctx.lists.exclusions.push_back(std::move(upper));
}

void end_exclusions(RunContext& ctx) {
  if (ctx.lists.exclusions.size() <= static_cast<std::size_t>(kMaxExclusions)) return;
  OutStream& out = ctx.console.messages();
  out.write("\nYou have too many -eXclude file types.\n");
  out.format("Max exclude types is %d\n", kMaxExclusions);
  terminate_run(ctx, kIllegalOption);
}

}  // namespace mailsift
