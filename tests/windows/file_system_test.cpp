// The Windows file system behind the platform interface, on real files in a
// scratch folder: long paths, both listings, sharing, text mode, attributes
// and file identity.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/platform.h"
#include "platform/windows/windows_util.h"

namespace mailsift::platform {
namespace {

using windows::to_wide;

class WindowsFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    wchar_t temp[MAX_PATH + 1];
    ASSERT_GT(::GetTempPathW(MAX_PATH + 1, temp), 0u);
    root_ = windows::to_utf8(temp) + "mailsift-win-" + std::to_string(::GetCurrentProcessId()) +
            "-" + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(make_directory(root_));
  }
  void TearDown() override { remove_tree(L"\\\\?\\" + to_wide(root_)); }

  static void remove_tree(const std::wstring& dir) {
    WIN32_FIND_DATAW data;
    HANDLE search = ::FindFirstFileW((dir + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
      do {
        const std::wstring name = data.cFileName;
        if (name == L"." || name == L"..") continue;
        const std::wstring path = dir + L"\\" + name;
        ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
          remove_tree(path);
        } else {
          ::DeleteFileW(path.c_str());
        }
      } while (::FindNextFileW(search, &data));
      ::FindClose(search);
    }
    ::RemoveDirectoryW(dir.c_str());
  }

  static void write_file(const std::string& path, const std::string& bytes) {
    const int h = open_path(path, OpenMode::kReadWriteCreate);
    ASSERT_GE(h, 0) << path;
    ASSERT_TRUE(write_handle(h, bytes.data(), bytes.size()));
    close_handle(h);
  }

  static std::string read_file(const std::string& path) {
    const int h = open_path(path, OpenMode::kRead);
    std::string bytes;
    char buffer[256];
    for (std::ptrdiff_t n; h >= 0 && (n = read_handle(h, buffer, sizeof buffer)) > 0;) {
      bytes.append(buffer, static_cast<std::size_t>(n));
    }
    close_handle(h);
    return bytes;
  }

  std::string root_;
};

TEST_F(WindowsFiles, PathsLongerThan260Characters) {
  // Each directory is reached through the long form of its parent.
  std::string deep = root_;
  for (int level = 0; deep.size() < 400; ++level) {
    deep += "\\level-" + std::to_string(level) + "-" + std::string(40, 'd');
    ASSERT_TRUE(make_directory(deep)) << deep.size();
  }
  const std::string file = deep + "\\deep.eml";
  write_file(file, "Subject: deep\n");
  EXPECT_GT(file.size(), 400u);
  EXPECT_TRUE(is_directory(deep));
  EXPECT_EQ(read_file(file), "Subject: deep\n");

  FileSystem& fs = real_file_system();
  const int dir = fs.open_directory("\\\\?\\" + deep + "\\");
  ASSERT_GE(dir, 0);
  std::vector<std::string> names;
  ASSERT_TRUE(fs.list_directory(dir, names));
  EXPECT_EQ(names, std::vector<std::string>{"deep.eml"});
  EntryInfo info;
  ASSERT_TRUE(fs.stat_entry(dir, "deep.eml", info));
  EXPECT_EQ(info.type, EntryType::kRegular);
  EXPECT_EQ(info.size, 14);
  const int file_handle = fs.open_file(dir, "deep.eml");
  ASSERT_GE(file_handle, 0);
  char buffer[32];
  EXPECT_EQ(fs.read_file(file_handle, buffer, sizeof buffer), 14);
  fs.close_file(file_handle);
  fs.close_directory(dir);
}

TEST_F(WindowsFiles, HandleListingAndSearchAgree) {
  ASSERT_TRUE(make_directory(root_ + "\\Sub"));
  write_file(root_ + "\\b.eml", "12345");
  write_file(root_ + "\\A.eml", "");
  FileSystem& fs = real_file_system();
  const int dir = fs.open_directory(root_);
  ASSERT_GE(dir, 0);
  std::vector<std::string> names;
  ASSERT_TRUE(fs.list_directory(dir, names));
  EXPECT_EQ(names, (std::vector<std::string>{"A.eml", "b.eml", "Sub"}));

  std::vector<windows::ListedEntry> by_search;
  ASSERT_TRUE(windows::list_by_search(L"\\\\?\\" + to_wide(root_) + L"\\", 0, by_search));
  windows::sort_listed(by_search);
  ASSERT_EQ(by_search.size(), 3u);
  for (std::size_t i = 0; i < names.size(); ++i) {
    EntryInfo listed;
    ASSERT_TRUE(fs.stat_entry(dir, names[i], listed));
    const EntryInfo& searched = by_search[i].info;
    EXPECT_EQ(by_search[i].name, names[i]);
    EXPECT_EQ(searched.type, listed.type);
    EXPECT_EQ(searched.size, listed.size);
    EXPECT_EQ(searched.write_time, listed.write_time);
    EXPECT_EQ(searched.attributes, listed.attributes);
    EXPECT_NE(listed.inode, 0u) << "the handle listing carries file ids";
  }
  EXPECT_EQ(by_search[2].info.type, EntryType::kDirectory);

  // The report's identity, asked of its handle, is the one its listed entry
  // carries: the walk passes over the run's own report.
  const int report = open_path(root_ + "\\b.eml", OpenMode::kAppend);
  FileIdentity id;
  ASSERT_TRUE(handle_identity(report, id));
  close_handle(report);
  EntryInfo b;
  ASSERT_TRUE(fs.stat_entry(dir, "b.eml", b));
  EXPECT_EQ((FileIdentity{b.device, b.inode}), id);
  fs.close_directory(dir);
}

// A directory that is not there, or is a file, is gone: nothing to report.
TEST_F(WindowsFiles, MissingDirectoriesAreGone) {
  write_file(root_ + "\\file.eml", "x");
  FileSystem& fs = real_file_system();
  const int dir = fs.open_directory(root_);
  ASSERT_GE(dir, 0);
  for (const char* name : {"missing", "file.eml"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(fs.open_subdirectory(dir, name), -1);
    std::string reason = "stale";
    EXPECT_EQ(fs.directory_failure(reason), DirectoryFailure::kGone);
    EXPECT_EQ(reason, "");
  }
  EXPECT_EQ(fs.open_directory(root_ + "\\missing\\deeper"), -1);
  std::string reason;
  EXPECT_EQ(fs.directory_failure(reason), DirectoryFailure::kGone);
  fs.close_directory(dir);
}

TEST_F(WindowsFiles, MessagesOpenWhileAnotherProgramWritesThem) {
  write_file(root_ + "\\held.eml", "From: a\n");
  // A mail client that holds the file open for writing and lets others only
  // read it.
  HANDLE held = ::CreateFileW(to_wide(root_ + "\\held.eml").c_str(), GENERIC_READ | GENERIC_WRITE,
                              FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  FileSystem& fs = real_file_system();
  const int dir = fs.open_directory(root_);
  const int file = fs.open_file(dir, "held.eml");
  EXPECT_GE(file, 0);
  char buffer[16];
  EXPECT_EQ(fs.read_file(file, buffer, sizeof buffer), 8);
  fs.close_file(file);
  fs.close_directory(dir);
  ::CloseHandle(held);
}

TEST_F(WindowsFiles, ReportAndLogAreTextWhileTheTrimIsBinary) {
  struct Case {
    OpenMode mode;
    bool binary;  // as a structured report is written
    const char* expected;
  };
  // The third writes over the start of what the others left.
  const Case cases[] = {{OpenMode::kWriteTruncate, false, "a\r\nb\r\n"},
                        {OpenMode::kAppend, false, "a\r\nb\r\na\r\nb\r\n"},
                        {OpenMode::kReadWriteCreate, false, "a\nb\n\r\na\r\nb\r\n"},
                        {OpenMode::kAppend, true, "a\nb\n\r\na\r\nb\r\na\nb\n"},
                        {OpenMode::kWriteTruncate, true, "a\nb\n"}};
  const std::string path = root_ + "\\report.txt";
  for (const Case& c : cases) {
    const int h = open_path(path, c.mode);
    ASSERT_GE(h, 0);
    if (c.binary) set_binary_output(h);
    EXPECT_TRUE(write_handle(h, "a\nb\n", 4));
    close_handle(h);
    EXPECT_EQ(read_file(path), c.expected);
  }
}

TEST_F(WindowsFiles, AttributeBitsAreTheRealOnes) {
  write_file(root_ + "\\m.eml", "x");
  FileSystem& fs = real_file_system();
  const int dir = fs.open_directory(root_);
  ASSERT_TRUE(fs.set_attributes(dir, "m.eml", kAttrReadOnly | kAttrHidden | kAttrArchive));
  EntryInfo info;
  ASSERT_TRUE(stat_path(root_ + "\\m.eml", info));
  EXPECT_EQ(info.attributes & (kAttrReadOnly | kAttrHidden | kAttrSystem | kAttrArchive),
            kAttrReadOnly | kAttrHidden | kAttrArchive);
  ASSERT_TRUE(fs.set_attributes(dir, "m.eml", 0));
  ASSERT_TRUE(stat_path(root_ + "\\m.eml", info));
  EXPECT_EQ(info.attributes & (kAttrReadOnly | kAttrHidden), 0u);
  fs.close_directory(dir);

  EXPECT_FALSE(stat_path(root_ + "\\missing.eml", info));
  EXPECT_FALSE(stat_path(root_ + "\\*.eml", info)) << "a wildcard names no file";
  EXPECT_EQ(open_path(root_, OpenMode::kRead), -1) << "a directory is not read as a file";
  char byte;
  EXPECT_EQ(read_handle(12345, &byte, 1), -1) << "a read that fails is not the end of a file";
}

}  // namespace
}  // namespace mailsift::platform
