// The command line: an argument vector made of the input's NUL-separated
// pieces goes through configuration (path arguments, option letters, long
// options) with a host that opens nothing. "-.ini" at the end keeps any INI
// file on the machine out, so that a run depends on its input alone.
#include <cstdint>
#include <string>
#include <vector>

#include "config/configure.h"
#include "config/settings.h"
#include "fuzz/config_fake_host.h"
#include "fuzz/fuzz_input.h"
#include "platform/platform.h"
#include "util/console.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::vector<std::string> pieces = fuzz::split(fuzz::as_text(data, size), '\0');
  if (pieces.size() > 64) return 0;
  std::vector<std::string> args = {"/fuzz/mailsift"};
  for (std::string& piece : pieces) args.push_back(std::move(piece));
  args.push_back("-.ini");
  fuzz::ConfigScene c;
  const ConfigStop stop =
      configure({c.settings, c.lists, args, c.file_list}, c.host, c.console, c.clock);
  // A stop leaves no list file open; a finished run has a pattern and a root.
  if (stop) FUZZ_CHECK(c.file_list == -1);
  if (!stop) FUZZ_CHECK(!c.lists.name_patterns.empty() && !c.lists.roots.empty());
  if (c.file_list >= 0) platform::close_handle(c.file_list);
  return 0;
}
