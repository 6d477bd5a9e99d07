// An in-memory directory tree behind the FileSystem interface, so that walks
// and dispatches can be tested on trees with unreadable directories, dangling
// links, FIFOs and link loops without touching the disk.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "platform/platform.h"

namespace mailsift::test {

class FakeFileSystem : public platform::FileSystem {
 public:
  FakeFileSystem();

  // Builders take absolute paths; missing parent directories are made.
  void add_dir(const std::string& path);
  void add_file(const std::string& path, std::int64_t size = 0, const std::string& content = "");
  // A link whose target does not exist.
  void add_dangling(const std::string& path);
  // A FIFO, socket or device: neither file nor directory.
  void add_other(const std::string& path);
  // A symbolic link to another path of the tree (followed on every lookup).
  void add_link(const std::string& path, const std::string& target);
  // The directory cannot be opened (Permission denied).
  void set_unreadable(const std::string& path);
  // How a directory fails from now on: at its open, or when it is listed.
  enum class Fault { kNone, kDenied, kGone, kKernel, kListing };
  void set_fault(const std::string& path, Fault fault);
  // The facts stat gives for a path (its own node, links not followed).
  platform::EntryInfo& facts(const std::string& path);

  int open_handles() const { return open_count_; }
  // Every set_attributes call: name and attribute bits.
  std::vector<std::pair<std::string, std::uint32_t>> attribute_writes;

  int open_directory(const std::string& absolute_path) override;
  int open_subdirectory(int dir, const std::string& name) override;
  void close_directory(int dir) override;
  bool list_directory(int dir, std::vector<std::string>& names) override;
  bool stat_entry(int dir, const std::string& name, platform::EntryInfo& info) override;
  bool directory_identity(int dir, platform::FileIdentity& id) override;
  platform::DirectoryFailure directory_failure(std::string& reason) override;
  int open_file(int dir, const std::string& name) override;
  std::ptrdiff_t read_file(int file, char* buffer, std::size_t n) override;
  void close_file(int file) override;
  bool set_attributes(int dir, const std::string& name, std::uint32_t attributes) override;

 private:
  enum class Kind { kDir, kFile, kDangling, kOther, kLink };
  struct Node {
    Kind kind = Kind::kDir;
    std::map<std::string, int> children;
    std::string link_target;
    std::string content;
    Fault fault = Fault::kNone;
    platform::EntryInfo info;
  };
  struct Handle {
    int node = -1;
    bool is_file = false;
    std::size_t offset = 0;
  };

  int add_node(const std::string& path, Kind kind);
  int make_child(int dir, const std::string& name, Kind kind);
  // Node of a path; links followed when `follow` (also the last component).
  int lookup(const std::string& path, bool follow, int depth = 0) const;
  int child_of(int dir_node, const std::string& name, bool follow, int depth = 0) const;
  int new_handle(int node, bool is_file);
  // A directory handle for node `id`, or -1 (noting why).
  int open_dir_node(int id);
  int node_of_handle(int handle) const;

  std::vector<Node> nodes_;
  std::vector<Handle> handles_;
  int open_count_ = 0;
  Fault last_fault_ = Fault::kGone;
};

}  // namespace mailsift::test
