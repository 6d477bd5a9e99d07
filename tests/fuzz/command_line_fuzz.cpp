// The command line: an argument vector made of the input's NUL-separated
// pieces goes through configuration (path arguments, option letters, long
// options) with no INI file and no environment.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/config_scene.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::vector<std::string> args = fuzz::split(fuzz::as_text(data, size), '\0');
  if (args.size() > 64) return 0;
  fuzz::configure_and_check(std::move(args), {});
  return 0;
}
