// What a file system without cheaper ways of its own does for the listing
// with types and the look at a regular file, and one that says nothing of its
// failed directories.
#include "platform/platform.h"

namespace mailsift::platform {

bool FileSystem::list_entries(int dir, std::vector<ListedEntry>& entries) {
  std::vector<std::string> names;
  entries.clear();
  if (!list_directory(dir, names)) return false;
  entries.reserve(names.size());
  for (std::string& name : names) entries.push_back(ListedEntry{std::move(name)});
  return true;
}

DirectoryFailure FileSystem::directory_failure(std::string&) {
  return DirectoryFailure::kGone;
}

std::ptrdiff_t File::read(char* buffer, std::size_t n) {
  return fs() != nullptr ? fs()->read_file(handle(), buffer, n) : read_handle(handle(), buffer, n);
}

void close_file_of(FileSystem* fs, int handle) {
  if (fs != nullptr) {
    fs->close_file(handle);
  } else {
    close_handle(handle);
  }
}

bool FileSystem::look_at_regular(int dir, const std::string& name, EntryInfo& info, int& opened) {
  opened = -1;
  return stat_entry(dir, name, info);
}

}  // namespace mailsift::platform
