// Path-level file operations and raw handles. Files are opened with full
// sharing; the report and the log are text streams ("\n" written as CR LF),
// and a console is written as Unicode text.
#include <algorithm>
#include <cstdint>

#include "platform/windows/windows_util.h"

namespace mailsift::platform::windows {

namespace {
thread_local DWORD remembered_error = 0;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
}  // namespace

void remember_error() {
  remembered_error = ::GetLastError();
}

EntryType type_of_attributes(DWORD attributes) {
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return EntryType::kDirectory;
  if (attributes & FILE_ATTRIBUTE_DEVICE) return EntryType::kOther;
  return EntryType::kRegular;
}

bool facts_of_handle(HANDLE handle, EntryInfo& info) {
  BY_HANDLE_FILE_INFORMATION facts;
  if (!::GetFileInformationByHandle(handle, &facts)) return false;
  info.type = type_of_attributes(facts.dwFileAttributes);
  info.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(facts.nFileSizeHigh) << 32) |
                                        facts.nFileSizeLow);
  info.write_time = file_time_of(facts.ftLastWriteTime);
  info.access_time = file_time_of(facts.ftLastAccessTime);
  info.creation_time = file_time_of(facts.ftCreationTime);
  info.device = facts.dwVolumeSerialNumber;
  info.inode = (static_cast<std::uint64_t>(facts.nFileIndexHigh) << 32) | facts.nFileIndexLow;
  info.attributes = facts.dwFileAttributes;
  return true;
}

bool stat_wide(const std::wstring& path, EntryInfo& info) {
  // Opening for attributes only follows links and junctions and never meets
  // a sharing conflict.
  HANDLE h = ::CreateFileW(path.c_str(), FILE_READ_ATTRIBUTES, kShareAll, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    const bool ok = facts_of_handle(h, info);
    ::CloseHandle(h);
    if (ok) return true;
  }
  remember_error();
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return false;
  info.type = type_of_attributes(data.dwFileAttributes);
  // A link whose target cannot be reached is an entry of its own.
  if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) info.type = EntryType::kDangling;
  info.size = static_cast<std::int64_t>((static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) |
                                        data.nFileSizeLow);
  info.write_time = file_time_of(data.ftLastWriteTime);
  info.access_time = file_time_of(data.ftLastAccessTime);
  info.creation_time = file_time_of(data.ftCreationTime);
  info.device = 0;
  info.inode = 0;
  info.attributes = data.dwFileAttributes;
  return true;
}

namespace {

bool write_all(HANDLE h, const char* data, std::size_t n) {
  while (n > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
    DWORD put = 0;
    if (!::WriteFile(h, data, chunk, &put, nullptr) || put == 0) return false;
    data += put;
    n -= put;
  }
  return true;
}

// Text mode: every "\n" goes out as CR LF.
bool write_text(HANDLE h, const char* data, std::size_t n) {
  char buffer[8192];
  std::size_t used = 0;
  for (std::size_t i = 0; i < n; ++i) {
    if (used + 2 > sizeof buffer) {
      if (!write_all(h, buffer, used)) return false;
      used = 0;
    }
    if (data[i] == '\n') buffer[used++] = '\r';
    buffer[used++] = data[i];
  }
  return write_all(h, buffer, used);
}

// Where an incomplete UTF-8 sequence at the end of the text begins (size
// when there is none).
std::size_t incomplete_tail(std::string_view text) {
  const std::size_t look = std::min<std::size_t>(text.size(), 3);
  for (std::size_t back = 1; back <= look; ++back) {
    const unsigned char c = static_cast<unsigned char>(text[text.size() - back]);
    if ((c & 0xC0) == 0x80) continue;
    const std::size_t need = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
    return need > back ? text.size() - back : text.size();
  }
  return text.size();
}

// A console shows Unicode text whatever its code page.
bool write_console(Slot& slot, const char* data, std::size_t n) {
  slot.carry.append(data, n);
  const std::size_t complete = incomplete_tail(slot.carry);
  std::wstring wide = to_wide(std::string_view(slot.carry).substr(0, complete));
  slot.carry.erase(0, complete);
  if (slot.text) {
    std::wstring lines;
    lines.reserve(wide.size() + 16);
    for (wchar_t c : wide) {
      if (c == L'\n') lines.push_back(L'\r');
      lines.push_back(c);
    }
    wide.swap(lines);
  }
  const wchar_t* at = wide.data();
  std::size_t left = wide.size();
  while (left > 0) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(left, 16384));
    DWORD put = 0;
    if (!::WriteConsoleW(slot.handle, at, chunk, &put, nullptr) || put == 0) return false;
    at += put;
    left -= put;
  }
  return true;
}

}  // namespace

}  // namespace mailsift::platform::windows

namespace mailsift::platform {

using namespace windows;

bool stat_path(const std::string& path, EntryInfo& info) {
  return stat_wide(wide_path(path), info);
}

bool is_directory(const std::string& path) {
  EntryInfo info;
  return stat_path(path, info) && info.type == EntryType::kDirectory;
}

bool path_exists(const std::string& path) {
  EntryInfo info;
  return stat_path(path, info);
}

bool make_directory(const std::string& path) {
  if (::CreateDirectoryW(wide_path(path).c_str(), nullptr)) return true;
  remember_error();
  return false;
}

bool current_directory(std::string& out) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
    if (n == 0) return false;
    if (n < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.resize(n + 1);
  }
  out = to_utf8(buffer);
  return true;
}

std::string executable_path(const std::string& argv0) {
  std::wstring buffer(MAX_PATH, L'\0');
  while (buffer.size() <= kMaxPath) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) break;
    if (n < buffer.size()) {
      buffer.resize(n);
      return to_utf8(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
  std::string absolute;
  return make_absolute(argv0, absolute) ? absolute : argv0;
}

int open_path(const std::string& path, OpenMode mode) {
  DWORD access = 0;
  DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE;
  DWORD disposition = OPEN_EXISTING;
  DWORD flags = FILE_ATTRIBUTE_NORMAL;
  bool text = false;
  switch (mode) {
    case OpenMode::kRead:
      access = GENERIC_READ;
      share = kShareAll;
      flags |= FILE_FLAG_SEQUENTIAL_SCAN;
      break;
    case OpenMode::kWriteTruncate:
      access = GENERIC_WRITE;
      disposition = CREATE_ALWAYS;
      text = true;
      break;
    case OpenMode::kAppend:
      // Without the right to write data every write goes to the end.
      access = GENERIC_READ | FILE_APPEND_DATA;
      disposition = OPEN_ALWAYS;
      text = true;
      break;
    case OpenMode::kReadWriteCreate:
      access = GENERIC_READ | GENERIC_WRITE;
      disposition = OPEN_ALWAYS;
      break;
  }
  HANDLE h =
      ::CreateFileW(wide_path(path).c_str(), access, share, nullptr, disposition, flags, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    remember_error();
    return -1;
  }
  return add_slot(SlotKind::kFile, h, text);
}

std::ptrdiff_t read_handle(int handle, char* buffer, std::size_t n) {
  Slot* slot = find_slot(handle);
  if (slot == nullptr) {
    ::SetLastError(ERROR_INVALID_HANDLE);
    remember_error();
    return -1;
  }
  DWORD got = 0;
  const DWORD want = static_cast<DWORD>(std::min<std::size_t>(n, 1u << 30));
  if (::ReadFile(slot->handle, buffer, want, &got, nullptr)) return got;
  const DWORD error = ::GetLastError();
  // A pipe whose writer is gone has ended; a read that Ctrl-C cancelled
  // returns to the checkpoints.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  if (error == ERROR_OPERATION_ABORTED && interrupted()) return 0;
  remember_error();
  return -1;
}

bool write_handle(int handle, const char* data, std::size_t n) {
  Slot* slot = find_slot(handle);
  if (slot == nullptr) return false;
  if (n == 0) return true;
  if (slot->console < 0) {
    DWORD mode;
    slot->console = ::GetConsoleMode(slot->handle, &mode) ? 1 : 0;
  }
  if (slot->console == 1) return write_console(*slot, data, n);
  return slot->text ? write_text(slot->handle, data, n) : write_all(slot->handle, data, n);
}

void close_handle(int handle) {
  release_slot(handle);
}

bool handle_identity(int handle, FileIdentity& id) {
  Slot* slot = find_slot(handle);
  if (slot == nullptr) return false;
  BY_HANDLE_FILE_INFORMATION facts;
  if (!::GetFileInformationByHandle(slot->handle, &facts)) return false;
  id.device = facts.dwVolumeSerialNumber;
  id.inode = (static_cast<std::uint64_t>(facts.nFileIndexHigh) << 32) | facts.nFileIndexLow;
  return true;
}

bool handle_is_regular_file(int handle) {
  Slot* slot = find_slot(handle);
  if (slot == nullptr || ::GetFileType(slot->handle) != FILE_TYPE_DISK) return false;
  BY_HANDLE_FILE_INFORMATION facts;
  return ::GetFileInformationByHandle(slot->handle, &facts) &&
         (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// Handles are limited by memory only.
std::size_t open_handle_limit() {
  return SIZE_MAX;
}

void set_binary_output(int handle) {
  if (Slot* slot = find_slot(handle)) slot->text = false;
}

std::int64_t handle_size(int handle) {
  Slot* slot = find_slot(handle);
  LARGE_INTEGER size;
  if (slot == nullptr || !::GetFileSizeEx(slot->handle, &size)) return -1;
  return size.QuadPart;
}

bool seek_handle(int handle, std::int64_t offset) {
  Slot* slot = find_slot(handle);
  LARGE_INTEGER to;
  to.QuadPart = offset;
  return slot != nullptr && ::SetFilePointerEx(slot->handle, to, nullptr, FILE_BEGIN);
}

bool truncate_handle(int handle, std::int64_t length) {
  Slot* slot = find_slot(handle);
  LARGE_INTEGER to;
  to.QuadPart = length;
  return slot != nullptr && ::SetFilePointerEx(slot->handle, to, nullptr, FILE_BEGIN) &&
         ::SetEndOfFile(slot->handle);
}

std::string windows::error_text_of(DWORD error) {
  wchar_t* text = nullptr;
  const DWORD n = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string out = n > 0 ? to_utf8(std::wstring_view(text, n)) : "error " + std::to_string(error);
  if (text != nullptr) ::LocalFree(text);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
    out.pop_back();
  }
  return out;
}

std::string last_error_text() {
  return windows::error_text_of(windows::remembered_error);
}

}  // namespace mailsift::platform
