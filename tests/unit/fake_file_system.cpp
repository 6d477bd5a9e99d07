#include "unit/fake_file_system.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace mailsift::test {

namespace {

std::vector<std::string> components(const std::string& path) {
  std::vector<std::string> parts;
  std::size_t i = 0;
  while (i < path.size()) {
    while (i < path.size() && path[i] == '/') ++i;
    std::size_t start = i;
    while (i < path.size() && path[i] != '/') ++i;
    if (i > start) parts.push_back(path.substr(start, i - start));
  }
  return parts;
}

constexpr int kMaxLinkDepth = 16;

}  // namespace

FakeFileSystem::FakeFileSystem() {
  Node root;
  root.info.type = platform::EntryType::kDirectory;
  root.info.device = 7;
  root.info.inode = 1;
  root.info.attributes = platform::kAttrDirectory;
  nodes_.push_back(root);
}

int FakeFileSystem::make_child(int dir, const std::string& name, Kind kind) {
  Node node;
  node.kind = kind;
  node.info.device = 7;
  node.info.inode = nodes_.size() + 1;
  switch (kind) {
    case Kind::kDir:
      node.info.type = platform::EntryType::kDirectory;
      node.info.attributes = platform::kAttrDirectory;
      break;
    case Kind::kFile:
    case Kind::kLink:
      node.info.type = platform::EntryType::kRegular;
      break;
    case Kind::kDangling:
      node.info.type = platform::EntryType::kDangling;
      break;
    case Kind::kOther:
      node.info.type = platform::EntryType::kOther;
      break;
  }
  nodes_.push_back(node);
  const int id = static_cast<int>(nodes_.size()) - 1;
  nodes_[dir].children[name] = id;
  return id;
}

int FakeFileSystem::add_node(const std::string& path, Kind kind) {
  std::vector<std::string> parts = components(path);
  if (parts.empty()) throw std::logic_error("fake: no name in " + path);
  int dir = 0;
  for (std::size_t i = 0; i + 1 < parts.size(); ++i) {
    auto it = nodes_[dir].children.find(parts[i]);
    dir = it == nodes_[dir].children.end() ? make_child(dir, parts[i], Kind::kDir) : it->second;
    if (nodes_[dir].kind != Kind::kDir) throw std::logic_error("fake: not a directory in " + path);
  }
  if (nodes_[dir].children.count(parts.back()) != 0) {
    throw std::logic_error("fake: exists already: " + path);
  }
  return make_child(dir, parts.back(), kind);
}

void FakeFileSystem::add_dir(const std::string& path) {
  add_node(path, Kind::kDir);
}

void FakeFileSystem::add_file(const std::string& path, std::int64_t size,
                              const std::string& content) {
  const int id = add_node(path, Kind::kFile);
  nodes_[id].info.size = size;
  nodes_[id].content = content;
}

void FakeFileSystem::add_dangling(const std::string& path) {
  add_node(path, Kind::kDangling);
}

void FakeFileSystem::add_other(const std::string& path) {
  add_node(path, Kind::kOther);
}

void FakeFileSystem::add_link(const std::string& path, const std::string& target) {
  const int id = add_node(path, Kind::kLink);
  nodes_[id].link_target = target;
}

void FakeFileSystem::set_unreadable(const std::string& path) {
  set_fault(path, Fault::kDenied);
}

void FakeFileSystem::set_fault(const std::string& path, Fault fault) {
  nodes_[lookup(path, false)].fault = fault;
}

platform::EntryInfo& FakeFileSystem::facts(const std::string& path) {
  const int id = lookup(path, false);
  if (id < 0) throw std::logic_error("fake: no such path " + path);
  return nodes_[id].info;
}

int FakeFileSystem::child_of(int dir_node, const std::string& name, bool follow, int depth) const {
  if (dir_node < 0 || nodes_[dir_node].kind != Kind::kDir) return -1;
  auto it = nodes_[dir_node].children.find(name);
  if (it == nodes_[dir_node].children.end()) return -1;
  int id = it->second;
  if (follow && nodes_[id].kind == Kind::kLink) {
    if (depth >= kMaxLinkDepth) return -1;
    id = lookup(nodes_[id].link_target, true, depth + 1);
  }
  return id;
}

int FakeFileSystem::lookup(const std::string& path, bool follow, int depth) const {
  std::vector<std::string> parts = components(path);
  int id = 0;
  for (std::size_t i = 0; i < parts.size() && id >= 0; ++i) {
    const bool last = i + 1 == parts.size();
    id = child_of(id, parts[i], follow || !last, depth);
  }
  return id;
}

int FakeFileSystem::new_handle(int node, bool is_file) {
  handles_.push_back(Handle{node, is_file, 0});
  ++open_count_;
  return static_cast<int>(handles_.size()) - 1;
}

int FakeFileSystem::node_of_handle(int handle) const {
  if (handle < 0 || static_cast<std::size_t>(handle) >= handles_.size()) return -1;
  return handles_[handle].node;
}

int FakeFileSystem::open_dir_node(int id) {
  last_fault_ = Fault::kGone;
  if (id < 0 || nodes_[id].kind != Kind::kDir) return -1;
  const Fault fault = nodes_[id].fault;
  if (fault != Fault::kNone && fault != Fault::kListing) {
    last_fault_ = fault;
    return -1;
  }
  return new_handle(id, false);
}

int FakeFileSystem::open_directory(const std::string& absolute_path) {
  return open_dir_node(lookup(absolute_path, true));
}

int FakeFileSystem::open_subdirectory(int dir, const std::string& name) {
  return open_dir_node(child_of(node_of_handle(dir), name, true));
}

platform::DirectoryFailure FakeFileSystem::directory_failure(std::string& reason) {
  reason.clear();
  switch (last_fault_) {
    case Fault::kDenied:
      reason = "Permission denied";
      return platform::DirectoryFailure::kUnreadable;
    case Fault::kListing:
      reason = "Input/output error";
      return platform::DirectoryFailure::kUnreadable;
    case Fault::kKernel:
      return platform::DirectoryFailure::kNotEntered;
    default:
      return platform::DirectoryFailure::kGone;
  }
}

void FakeFileSystem::close_directory(int dir) {
  if (node_of_handle(dir) < 0 || handles_[dir].is_file) throw std::logic_error("fake: bad close");
  handles_[dir].node = -1;
  --open_count_;
}

bool FakeFileSystem::list_directory(int dir, std::vector<std::string>& names) {
  names.clear();
  const int id = node_of_handle(dir);
  if (id < 0) return false;
  if (nodes_[id].fault == Fault::kListing) {
    last_fault_ = Fault::kListing;
    return false;
  }
  for (const auto& [name, child] : nodes_[id].children) names.push_back(name);
  platform::sort_entry_names(names);
  return true;
}

bool FakeFileSystem::stat_entry(int dir, const std::string& name, platform::EntryInfo& info) {
  const int dir_node = node_of_handle(dir);
  const int id = child_of(dir_node, name, true);
  if (id >= 0) {
    info = nodes_[id].info;
    return true;
  }
  // A link that leads nowhere is an entry of its own.
  const int own = child_of(dir_node, name, false);
  if (own < 0) return false;
  info = nodes_[own].info;
  if (nodes_[own].kind == Kind::kLink) info.type = platform::EntryType::kDangling;
  return true;
}

bool FakeFileSystem::directory_identity(int dir, platform::FileIdentity& id) {
  const int node = node_of_handle(dir);
  if (node < 0) return false;
  id = {nodes_[node].info.device, nodes_[node].info.inode};
  return true;
}

int FakeFileSystem::open_file(int dir, const std::string& name) {
  const int id = child_of(node_of_handle(dir), name, true);
  if (id < 0 || nodes_[id].kind != Kind::kFile) return -1;
  return new_handle(id, true);
}

std::ptrdiff_t FakeFileSystem::read_file(int file, char* buffer, std::size_t n) {
  const int id = node_of_handle(file);
  if (id < 0) return 0;
  const std::string& content = nodes_[id].content;
  const std::size_t left = content.size() - std::min(content.size(), handles_[file].offset);
  const std::size_t take = std::min(left, n);
  std::memcpy(buffer, content.data() + handles_[file].offset, take);
  handles_[file].offset += take;
  return static_cast<std::ptrdiff_t>(take);
}

void FakeFileSystem::close_file(int file) {
  if (node_of_handle(file) < 0 || !handles_[file].is_file)
    throw std::logic_error("fake: bad close");
  handles_[file].node = -1;
  --open_count_;
}

bool FakeFileSystem::set_attributes(int dir, const std::string& name, std::uint32_t attributes) {
  attribute_writes.emplace_back(name, attributes);
  const int id = child_of(node_of_handle(dir), name, true);
  if (id < 0) return false;
  nodes_[id].info.attributes = attributes;
  return true;
}

}  // namespace mailsift::test
