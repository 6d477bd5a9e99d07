// Helpers shared by the Windows implementation files: text conversion at the
// platform boundary, long paths, file times and the table behind the small
// integer handles of the platform interface.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"

namespace mailsift::platform::windows {

// UTF-16 to UTF-8. An unpaired surrogate is kept as its own three-byte
// sequence, so every name the system hands out comes back unchanged.
std::string to_utf8(std::wstring_view text);
// UTF-8 to UTF-16, the inverse of to_utf8. A byte that starts no valid
// sequence becomes the character of the same code (0x80 to 0xFF).
std::wstring to_wide(std::string_view text);
void append_wide(std::wstring& out, std::string_view text);

// The path as the wide file functions take it. A path that is already in the
// long form ("\\?\" or "\\.\") is taken as it is, a short one as the user
// wrote it; a long one is made absolute and given the long-path prefix
// ("\\?\", or "\\?\UNC\" for a network path), so that paths up to 32,767
// characters work.
std::wstring wide_path(std::string_view path);
// Always the long form: for directories whose children are reached by
// appending names.
std::wstring long_wide_path(std::string_view path);

inline FileTime file_time_of(const FILETIME& t) {
  return (static_cast<FileTime>(t.dwHighDateTime) << 32) | t.dwLowDateTime;
}
inline FileTime file_time_of(const LARGE_INTEGER& t) {
  return static_cast<FileTime>(t.QuadPart);
}

// Entry facts from an open handle (links already followed by the open).
bool facts_of_handle(HANDLE handle, EntryInfo& info);
// The type an entry's attribute bits give.
EntryType type_of_attributes(DWORD attributes);
// Entry facts of a path: the target when the entry is a link or junction,
// the entry itself as a dangling link when the target cannot be reached.
bool stat_wide(const std::wstring& path, EntryInfo& info);

// The table behind the integer handles. 0, 1 and 2 are the standard streams.
enum class SlotKind { kFree, kFile, kDirectory };

// One listed directory entry, kept until the next listing of that directory
// so that the walk's look at each entry costs no further system call.
struct ListedEntry {
  std::string name;
  std::wstring wide_name;
  EntryInfo info;
  bool reparse = false;  // a link or junction: its facts are the target's
};

struct Slot {
  SlotKind kind = SlotKind::kFree;
  HANDLE handle = INVALID_HANDLE_VALUE;
  bool text = false;  // "\n" is written as CR LF
  int console = -1;   // -1 not yet asked, 0 no, 1 a console (Unicode text)
  std::string carry;  // an incomplete UTF-8 sequence waiting for its rest
  std::wstring path;  // a directory's long path, with its trailing "\"
  std::uint64_t volume = 0;
  std::vector<ListedEntry> listed;
  std::size_t next_listed = 0;
};

// Stores a handle and gives its number; -1 when the handle is invalid.
int add_slot(SlotKind kind, HANDLE handle, bool text);
// The slot of a number, or null. The slot stays where it is until it is
// released; one slot is used by one thread at a time.
Slot* find_slot(int number);
// Closes the handle and frees the number.
void release_slot(int number);

// Lists a directory through its handle (file ids included); false when the
// file system does not answer that way.
bool list_by_handle(HANDLE directory, std::uint64_t volume, std::vector<ListedEntry>& out);
// Lists a directory by a search for "*" below its path (no file ids).
bool list_by_search(const std::wstring& directory_path, std::uint64_t volume,
                    std::vector<ListedEntry>& out);
// Sorts by the upper-cased UTF-16 names, ordinal; equal keys by raw units.
void sort_listed(std::vector<ListedEntry>& entries);
bool wide_name_less(const std::wstring& a, const std::wstring& b);

// Remembers the error of the last failed call for last_error_text().
void remember_error();
// The system's words for an error code.
std::string error_text_of(DWORD error);

}  // namespace mailsift::platform::windows
