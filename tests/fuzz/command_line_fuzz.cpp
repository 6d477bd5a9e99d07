// The command line: an argument vector made of the input's NUL-separated
// pieces goes through the option parser (path arguments, option letters,
// long options). The INI file and the environment are left out, and the
// vector always ends with "+1 +1 +1 -.ini", which turns the accounting log
// off; the run's services are stand-ins, so no input can make the parser
// create a file or a directory.
#include <cstdint>
#include <string>
#include <vector>

#include "config/configure.h"
#include "config/settings.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/null_host.h"
#include "platform/platform.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::vector<std::string> pieces = fuzz::split(fuzz::as_text(data, size), '\0');
  if (pieces.size() > 64) return 0;
  static const fuzz::FixedClock clock;
  fuzz::NullHost host;
  Console console;
  std::string out, err;
  console.attach_test_streams(&out, &err);
  Settings settings;
  RunLists lists;
  int file_list = -1;
  std::vector<std::string> args = {"/fuzz/mailsift"};
  for (std::string& piece : pieces) args.push_back(std::move(piece));
  for (const char* end : {"+1", "+1", "+1", "-.ini"}) args.push_back(end);
  apply_program_defaults(settings);
  // An option error comes back as a stop: that is an outcome, not a finding.
  configure({settings, lists, args, file_list}, host, console, clock);
  if (file_list >= 0) platform::close_handle(file_list);
  return 0;
}
