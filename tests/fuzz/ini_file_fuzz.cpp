// The INI file: the input, less its first byte, is written as the program's
// own INI file in the current directory (or, when the first byte is odd, as
// the shared TALLWICK.INI with a [MAILSIFT] section somewhere in it) and read
// as a run reads it. Reading only stores settings; nothing is opened.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "app/run_context.h"
#include "app/terminate.h"
#include "config/ini_file.h"
#include "config/settings.h"
#include "fuzz/fuzz_input.h"

namespace {

class FixedClock : public mailsift::platform::Clock {
 public:
  std::int64_t now() const override { return 1377083046; }
};

bool put(const char* name, std::string_view bytes) {
  std::FILE* file = std::fopen(name, "wb");
  if (file == nullptr) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
  return std::fclose(file) == 0 && ok;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace mailsift;
  std::string_view text = fuzz::as_text(data, size);
  const bool shared = (fuzz::take_byte(text) & 1) != 0;
  std::remove("mailsift.ini");
  std::remove("TALLWICK.INI");
  if (!put(shared ? "TALLWICK.INI" : "mailsift.ini", text)) return 0;
  static const FixedClock clock;
  RunContext ctx;
  std::string out, err, report;
  ctx.attach_test_streams(&out, &err, &report);
  ctx.clock = &clock;
  ctx.args.push_back("/fuzz/mailsift");
  apply_program_defaults(ctx.settings);
  try {
    read_ini_file(ctx);
  } catch (const RunExit&) {
  }
  FUZZ_CHECK(!ctx.accounting_log.is_open());
  return 0;
}
