// Helpers shared by the POSIX implementation files.
#pragma once

#include <string>
#include <vector>

#include "platform/platform.h"

namespace mailsift::platform::posix {

// stat (links followed), lstat when that fails; birth time when reported.
bool stat_at(int dir, const char* name, EntryInfo& info);
// Entry facts of an open handle.
bool stat_handle(int fd, EntryInfo& info);
// Opens a directory by absolute path, one component at a time when the path
// is too long for a single open.
int open_long_directory(const std::string& path);
// True when the open directory `fd` lies on a kernel pseudo file system (proc,
// sysfs, cgroup, ...): such a directory holds kernel state, not files, and
// its links fan out without end. One fstatfs.
bool on_kernel_file_system(int fd);
// The system's words for an errno value (thread-safe).
std::string error_text_of(int error);
// Puts a listing in entry order (entry_name_less).
void sort_listed_entries(std::vector<ListedEntry>& entries);

}  // namespace mailsift::platform::posix
