// The command line: an argument vector made of the input's NUL-separated
// pieces goes through the option parser (path arguments, option letters,
// long options). The INI file and the environment are left out, and the
// vector always ends with "+1 +1 +1 -.ini", which turns the accounting log
// off, so that no input can make the parser create a file or a directory.
#include <cstdint>
#include <string>
#include <vector>

#include "app/run_context.h"
#include "app/terminate.h"
#include "config/options.h"
#include "config/settings.h"
#include "fuzz/fuzz_input.h"
#include "platform/platform.h"

namespace {

class FixedClock : public mailsift::platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::vector<std::string> pieces = fuzz::split(fuzz::as_text(data, size), '\0');
  if (pieces.size() > 64) return 0;
  static const FixedClock clock;
  RunContext ctx;
  std::string out, err, report;
  ctx.attach_test_streams(&out, &err, &report);
  ctx.clock = &clock;
  ctx.args.push_back("/fuzz/mailsift");
  for (std::string& piece : pieces) ctx.args.push_back(std::move(piece));
  for (const char* end : {"+1", "+1", "+1", "-.ini"}) ctx.args.push_back(end);
  apply_program_defaults(ctx.settings);
  try {
    parse_options(ctx);
  } catch (const RunExit&) {
    // An option error ends the run in order: that is an outcome, not a finding.
  }
  FUZZ_CHECK(!ctx.accounting_log.is_open());
  if (ctx.file_list >= 0) platform::close_handle(ctx.file_list);
  return 0;
}
