#include "platform/windows/entry.h"

#include "platform/windows/windows_util.h"

namespace mailsift::platform::windows {

int run_with_wide_arguments(int argc, wchar_t** argv, int (*run)(int, char**)) {
  // No "insert a disk" boxes for empty drives: a console run never waits
  // for a click.
  ::SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
  std::vector<std::string> arguments;
  arguments.reserve(static_cast<std::size_t>(argc));
  for (int i = 0; i < argc; ++i) arguments.push_back(to_utf8(argv[i]));
  std::vector<char*> pointers;
  pointers.reserve(arguments.size() + 1);
  for (std::string& a : arguments) pointers.push_back(a.data());
  pointers.push_back(nullptr);
  return run(argc, pointers.data());
}

}  // namespace mailsift::platform::windows
