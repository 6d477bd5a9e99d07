// Machine facts: computer name, the last-access setting in the registry, the
// C runtime's time zone, the console and the environment.
#include <time.h>

#include <cstring>

#include "platform/windows/windows_util.h"

namespace mailsift::platform {

using namespace windows;

bool computer_name(std::string& out) {
  wchar_t buffer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = MAX_COMPUTERNAME_LENGTH + 1;
  if (!::GetComputerNameW(buffer, &size)) return false;
  out = to_utf8(std::wstring_view(buffer, size));
  return !out.empty();
}

int last_access_setting() {
  HKEY key;
  if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\FileSystem", 0,
                      KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    return -1;
  }
  int setting = -1;
  // The values in index order until the one named exactly so; a name
  // shorter than three characters ends the search.
  for (DWORD index = 0;; ++index) {
    wchar_t name[256];
    DWORD name_length = 256;
    DWORD type = 0;
    BYTE data[64];
    DWORD data_size = sizeof data;
    const LONG status =
        ::RegEnumValueW(key, index, name, &name_length, nullptr, &type, data, &data_size);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS && status != ERROR_MORE_DATA) break;
    if (name_length < 3) break;
    if (std::wstring_view(name, name_length) != L"NtfsDisableLastAccessUpdate") continue;
    if (status == ERROR_SUCCESS && data_size >= 4) {
      DWORD value;
      std::memcpy(&value, data, sizeof value);
      setting = static_cast<int>(value);
    }
    break;
  }
  ::RegCloseKey(key);
  return setting;
}

void refresh_time_zone() {
  ::_tzset();
}

namespace {
// The runtime's zone names are in the ANSI code page.
std::string zone_name(const char* ansi_name) {
  if (ansi_name == nullptr || *ansi_name == '\0') return "";
  const std::string_view ansi(ansi_name);
  const int n =
      ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
  if (n <= 0) return "";
  std::wstring wide(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), n);
  return to_utf8(wide);
}
}  // namespace

TimeZoneNames read_time_zone_names() {
  ::_tzset();
  TimeZoneNames names;
  names.standard_name = zone_name(_tzname[0]);
  if (_daylight != 0) names.daylight_name = zone_name(_tzname[1]);
  names.offset_hours = static_cast<int>(_timezone / 3600);
  return names;
}

bool console_is_utf8() {
  // A console is written as Unicode text (see write_handle), so the box
  // characters show on any code page; redirected, the bytes are written.
  return is_terminal(kStderr);
}

bool get_environment(const char* name, std::string& value) {
  const std::wstring wide_name = to_wide(name);
  std::wstring buffer(256, L'\0');
  for (;;) {
    ::SetLastError(ERROR_SUCCESS);
    const DWORD n = ::GetEnvironmentVariableW(wide_name.c_str(), buffer.data(),
                                              static_cast<DWORD>(buffer.size()));
    if (n == 0) {
      if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) return false;
      value.clear();
      return true;
    }
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n);
  }
  value = to_utf8(buffer);
  return true;
}

}  // namespace mailsift::platform
