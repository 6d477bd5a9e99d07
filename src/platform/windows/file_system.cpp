// Directory walking and message opening. Each open directory keeps its
// handle (for the link-loop guard) and its long path; children are reached
// by appending names to that path, so paths up to 32,767 characters work.
#include <algorithm>

#include "platform/windows/windows_util.h"

namespace mailsift::platform::windows {

namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

ListedEntry listed_from(std::wstring name, DWORD attributes, std::int64_t size, FileTime write,
                        FileTime access, FileTime creation, std::uint64_t volume,
                        std::uint64_t id) {
  ListedEntry e;
  e.name = to_utf8(name);
  e.wide_name = std::move(name);
  e.info.type = type_of_attributes(attributes);
  e.info.size = size;
  e.info.write_time = write;
  e.info.access_time = access;
  e.info.creation_time = creation;
  e.info.device = volume;
  e.info.inode = id;
  e.info.attributes = attributes;
  e.reparse = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
  return e;
}

// Why the walking thread's last directory call failed (0: nothing to
// report).
thread_local DWORD directory_error = 0;

// Notes a failed directory call: a directory that is not there (any more) or
// is no directory has nothing to report. A file opened as a directory, with
// its trailing "\", gives ERROR_INVALID_NAME.
void note_failure(DWORD error) {
  const bool gone = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ||
                    error == ERROR_DIRECTORY || error == ERROR_INVALID_NAME ||
                    error == ERROR_SUCCESS;
  directory_error = gone ? 0 : error;
}

bool dot_name(const wchar_t* name, std::size_t length) {
  return (length == 1 && name[0] == L'.') || (length == 2 && name[0] == L'.' && name[1] == L'.');
}

// Opens a directory by its long path (with its trailing "\").
int open_directory_path(std::wstring path) {
  if (path.empty() || path.back() != L'\\') path.push_back(L'\\');
  HANDLE h = ::CreateFileW(path.c_str(), FILE_LIST_DIRECTORY | FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                           kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    remember_error();
    note_failure(::GetLastError());
    return -1;
  }
  BY_HANDLE_FILE_INFORMATION facts;
  if (!::GetFileInformationByHandle(h, &facts)) {
    note_failure(::GetLastError());
    ::CloseHandle(h);
    return -1;
  }
  if ((facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
    note_failure(ERROR_DIRECTORY);
    ::CloseHandle(h);
    return -1;
  }
  const int number = add_slot(SlotKind::kDirectory, h, false);
  Slot* slot = find_slot(number);
  if (slot == nullptr) return -1;
  slot->path = std::move(path);
  slot->volume = facts.dwVolumeSerialNumber;
  return number;
}

Slot* directory_slot(int dir) {
  Slot* slot = find_slot(dir);
  return slot != nullptr && slot->kind == SlotKind::kDirectory ? slot : nullptr;
}

const ListedEntry* find_listed(Slot& slot, const std::string& name) {
  // The walk asks for the entries in listing order.
  if (slot.next_listed < slot.listed.size() && slot.listed[slot.next_listed].name == name) {
    return &slot.listed[slot.next_listed++];
  }
  for (std::size_t i = 0; i < slot.listed.size(); ++i) {
    if (slot.listed[i].name == name) {
      slot.next_listed = i + 1;
      return &slot.listed[i];
    }
  }
  return nullptr;
}

class WindowsFileSystem : public FileSystem {
 public:
  int open_directory(const std::string& path) override {
    return open_directory_path(long_wide_path(path));
  }

  int open_subdirectory(int dir, const std::string& name) override {
    Slot* parent = directory_slot(dir);
    if (parent == nullptr) return -1;
    std::wstring path = parent->path;
    append_wide(path, name);
    return open_directory_path(std::move(path));
  }

  void close_directory(int dir) override { release_slot(dir); }

  bool list_directory(int dir, std::vector<std::string>& names) override {
    names.clear();
    Slot* slot = directory_slot(dir);
    if (slot == nullptr) return false;
    slot->listed.clear();
    slot->next_listed = 0;
    if (!list_by_handle(slot->handle, slot->volume, slot->listed) &&
        !list_by_search(slot->path, slot->volume, slot->listed)) {
      note_failure(::GetLastError());
      return false;
    }
    sort_listed(slot->listed);
    names.reserve(slot->listed.size());
    for (const ListedEntry& e : slot->listed) names.push_back(e.name);
    return true;
  }

  bool stat_entry(int dir, const std::string& name, EntryInfo& info) override {
    Slot* slot = directory_slot(dir);
    if (slot == nullptr) return false;
    const ListedEntry* listed = find_listed(*slot, name);
    if (listed != nullptr && !listed->reparse) {
      info = listed->info;
      return true;
    }
    // Links and junctions are followed: their facts are the target's.
    std::wstring path = slot->path;
    if (listed != nullptr) {
      path += listed->wide_name;
    } else {
      append_wide(path, name);
    }
    return stat_wide(path, info);
  }

  bool directory_identity(int dir, FileIdentity& id) override {
    Slot* slot = directory_slot(dir);
    BY_HANDLE_FILE_INFORMATION facts;
    if (slot == nullptr || !::GetFileInformationByHandle(slot->handle, &facts)) {
      note_failure(slot == nullptr ? ERROR_INVALID_HANDLE : ::GetLastError());
      return false;
    }
    id.device = facts.dwVolumeSerialNumber;
    id.inode = (static_cast<std::uint64_t>(facts.nFileIndexHigh) << 32) | facts.nFileIndexLow;
    return true;
  }

  DirectoryFailure directory_failure(std::string& reason) override {
    if (directory_error == 0) {
      reason.clear();
      return DirectoryFailure::kGone;
    }
    reason = error_text_of(directory_error);
    return DirectoryFailure::kUnreadable;
  }

  int open_file(int dir, const std::string& name) override {
    Slot* slot = directory_slot(dir);
    if (slot == nullptr) return -1;
    std::wstring path = slot->path;
    append_wide(path, name);
    // Full sharing: a mail client holding the file open does not stop the
    // inventory, and nothing here ever writes to a message.
    HANDLE h = ::CreateFileW(path.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                             FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
      remember_error();
      return -1;
    }
    if (::GetFileType(h) != FILE_TYPE_DISK) {
      ::CloseHandle(h);
      return -1;
    }
    return add_slot(SlotKind::kFile, h, false);
  }

  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override {
    return read_handle(file, buffer, n);
  }

  void close_file(int file) override { release_slot(file); }

  bool set_attributes(int dir, const std::string& name, std::uint32_t attributes) override {
    Slot* slot = directory_slot(dir);
    if (slot == nullptr) return false;
    std::wstring path = slot->path;
    append_wide(path, name);
    constexpr DWORD kSettable = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN |
                                FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                                FILE_ATTRIBUTE_TEMPORARY | FILE_ATTRIBUTE_OFFLINE |
                                FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    DWORD value = attributes & kSettable;
    if (value == 0) value = FILE_ATTRIBUTE_NORMAL;
    return ::SetFileAttributesW(path.c_str(), value) != 0;
  }
};

}  // namespace

bool list_by_handle(HANDLE directory, std::uint64_t volume, std::vector<ListedEntry>& out) {
  // One large buffer per call, as a search with large fetch uses.
  std::vector<std::uint64_t> buffer(64 * 1024 / sizeof(std::uint64_t));
  const DWORD size = static_cast<DWORD>(buffer.size() * sizeof(std::uint64_t));
  FILE_INFO_BY_HANDLE_CLASS kind = FileIdBothDirectoryRestartInfo;
  for (;;) {
    if (!::GetFileInformationByHandleEx(directory, kind, buffer.data(), size)) {
      const DWORD error = ::GetLastError();
      if (error == ERROR_NO_MORE_FILES) return true;
      // An empty listing is no answer at all on the first call.
      return error == ERROR_FILE_NOT_FOUND && kind == FileIdBothDirectoryRestartInfo;
    }
    kind = FileIdBothDirectoryInfo;
    const auto* at = reinterpret_cast<const unsigned char*>(buffer.data());
    for (;;) {
      const auto* e = reinterpret_cast<const FILE_ID_BOTH_DIR_INFO*>(at);
      const std::size_t length = e->FileNameLength / sizeof(wchar_t);
      if (!dot_name(e->FileName, length)) {
        out.push_back(listed_from(std::wstring(e->FileName, length), e->FileAttributes,
                                  e->EndOfFile.QuadPart, file_time_of(e->LastWriteTime),
                                  file_time_of(e->LastAccessTime), file_time_of(e->CreationTime),
                                  volume, static_cast<std::uint64_t>(e->FileId.QuadPart)));
      }
      if (e->NextEntryOffset == 0) break;
      at += e->NextEntryOffset;
    }
  }
}

bool list_by_search(const std::wstring& directory_path, std::uint64_t volume,
                    std::vector<ListedEntry>& out) {
  out.clear();
  const std::wstring pattern = directory_path + L"*";
  WIN32_FIND_DATAW data;
  HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                     nullptr, FIND_FIRST_EX_LARGE_FETCH);
  if (search == INVALID_HANDLE_VALUE) return ::GetLastError() == ERROR_FILE_NOT_FOUND;
  do {
    const std::size_t length = std::wcslen(data.cFileName);
    if (dot_name(data.cFileName, length)) continue;
    const auto size = static_cast<std::int64_t>(
        (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    // A search gives no file ids: such entries are never taken for the run's
    // own report or log.
    out.push_back(listed_from(std::wstring(data.cFileName, length), data.dwFileAttributes, size,
                              file_time_of(data.ftLastWriteTime),
                              file_time_of(data.ftLastAccessTime),
                              file_time_of(data.ftCreationTime), volume, 0));
  } while (::FindNextFileW(search, &data));
  ::FindClose(search);
  return true;
}

bool wide_name_less(const std::wstring& a, const std::wstring& b) {
  const int order = ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(),
                                           static_cast<int>(b.size()), TRUE);
  if (order != CSTR_EQUAL) return order == CSTR_LESS_THAN;
  return a < b;  // equal keys: raw code units
}

void sort_listed(std::vector<ListedEntry>& entries) {
  std::sort(entries.begin(), entries.end(), [](const ListedEntry& a, const ListedEntry& b) {
    return wide_name_less(a.wide_name, b.wide_name);
  });
}

}  // namespace mailsift::platform::windows

namespace mailsift::platform {

FileSystem& real_file_system() {
  static windows::WindowsFileSystem fs;
  return fs;
}

}  // namespace mailsift::platform
