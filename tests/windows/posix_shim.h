// Test-only stand-ins for the few POSIX calls that the shared unit tests make
// to set up their scratch files and environment; forced into the Windows
// unit build so that those tests run there unchanged.
#pragma once

#include <direct.h>
#include <io.h>

#include <cstdlib>
#include <cstring>
#include <ctime>

inline int setenv(const char* name, const char* value, int) {
  return _putenv_s(name, value);
}

inline int unsetenv(const char* name) {
  return _putenv_s(name, "");
}

inline char* mkdtemp(char* pattern) {
  if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0) return nullptr;
  return _mkdir(pattern) == 0 ? pattern : nullptr;
}
