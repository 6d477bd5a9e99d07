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
  return fs_ != nullptr ? fs_->read_file(handle_, buffer, n) : read_handle(handle_, buffer, n);
}

void File::close() {
  if (handle_ < 0) return;
  if (fs_ != nullptr) {
    fs_->close_file(std::exchange(handle_, -1));
  } else {
    close_handle(std::exchange(handle_, -1));
  }
}

bool FileSystem::look_at_regular(int dir, const std::string& name, EntryInfo& info, int& opened) {
  opened = -1;
  return stat_entry(dir, name, info);
}

}  // namespace mailsift::platform
