// The INI file: the input, less its first byte, is written as the program's
// own INI file in the current directory (or, when the first byte is odd, as
// the shared TALLWICK.INI with a [MAILSIFT] section somewhere in it) and read
// as a run reads it. Reading only stores settings; nothing is opened.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "config/configure.h"
#include "config/settings.h"
#include "fuzz/fuzz_input.h"
#include "fuzz/null_host.h"

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
  const bool shared = (fuzz::take_byte(text) & 1) != 0;
  std::remove("mailsift.ini");
  std::remove("TALLWICK.INI");
  if (!put(shared ? "TALLWICK.INI" : "mailsift.ini", text)) return 0;
  static const fuzz::FixedClock clock;
  fuzz::NullHost host;
  Console console;
  std::string out, err;
  console.attach_test_streams(&out, &err);
  Settings settings;
  RunLists lists;
  int file_list = -1;
  // "+1" after the INI file keeps an accounting log it names closed.
  std::vector<std::string> args = {"/fuzz/mailsift", "+1"};
  apply_program_defaults(settings);
  configure({settings, lists, args, file_list}, host, console, clock);
  if (file_list >= 0) platform::close_handle(file_list);
  return 0;
}
