// The INI file: the input, less its first byte, is written as the program's
// own INI file in the current directory (or, when the first byte is odd, as
// the shared TALLWICK.INI, whose [MAILSIFT] section may lie anywhere in it)
// and read as a run reads it, with a host that opens nothing.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/config_run.h"
#include "config/ini_file.h"
#include "config/settings.h"
#include "fuzz/config_fake_host.h"
#include "fuzz/fuzz_input.h"
#include "util/console.h"

namespace {

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
  const char* name = (fuzz::take_byte(text) & 1) != 0 ? "TALLWICK.INI" : "mailsift.ini";
  if (!put(name, text)) return 0;
  fuzz::ConfigScene c;
  ConfigRun run{c.settings, c.lists, c.file_list, c.host, c.console, c.clock};
  read_ini_file(run, {"/fuzz/mailsift"});
  std::remove(name);
  FUZZ_CHECK(c.file_list == -1);
  return 0;
}
