#include "app/run_sequence.h"

#ifdef _WIN32
#include "platform/windows/entry.h"

#ifdef __MINGW32__
// Wildcards reach the program as typed; the runtime never expands them.
extern "C" {
int _dowildcard = 0;
}
#endif

int wmain(int argc, wchar_t** argv) {
  return mailsift::platform::windows::run_with_wide_arguments(argc, argv, mailsift::run_main);
}
#else
int main(int argc, char** argv) {
  return mailsift::run_main(argc, argv);
}
#endif
