// Kernel pseudo file systems (proc, sysfs, cgroup, devpts, ...) are never
// entered: not as roots, not as subdirectories reached through links, not in
// the counting pass. Without that a search of "/" (what a mistyped path
// argument asks for) never ends.
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

// The header row is the report's first line; each row starts on a new line.
int row_count(const std::string& report) {
  return static_cast<int>(std::count(report.begin(), report.end(), '\n'));
}

class KernelFileSystemE2E : public ::testing::Test {
 protected:
  void SetUp() override { dir_ = make_scratch_dir(); }
  void TearDown() override { remove_tree(dir_); }
  RunOptions opts(int timeout) {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.timeout_seconds = timeout;
    return o;
  }
  std::string dir_;
};

TEST_F(KernelFileSystemE2E, RootsOnKernelFileSystemsAreNotEntered) {
  // Each would take minutes or never end if walked: /proc/kcore alone is as
  // large as the address space. With and without the counting pass.
  for (const char* root : {"/proc", "/sys", "/proc/self", "/sys/kernel", "/dev/pts"}) {
    if (!std::filesystem::is_directory(root)) continue;
    for (bool counting : {false, true}) {
      SCOPED_TRACE(std::string(root) + (counting ? " counting" : ""));
      std::vector<std::string> args = {root, "-o", "out.txt"};
      if (counting) args.push_back("--im");
      RunResult r = run_mailsift(args, opts(60));
      ASSERT_FALSE(r.timed_out);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(row_count(read_file(dir_ + "/out.txt")), 0);
      EXPECT_NE(r.err.find("\n  0 directories, 0 files\n"), std::string::npos) << r.err;
      if (counting) {
        EXPECT_NE(r.err.find(" 0 files to process, 0 bytes\n"), std::string::npos);
      }
    }
  }
}

TEST_F(KernelFileSystemE2E, LinksIntoKernelFileSystemsAreCountedNotEntered) {
  make_dirs(dir_ + "/tree/mail");
  write_file(dir_ + "/tree/mail/a.eml", "From: a@example.com\n");
  ASSERT_EQ(symlink("/proc", (dir_ + "/tree/proc").c_str()), 0);
  ASSERT_EQ(symlink("/sys", (dir_ + "/tree/sys").c_str()), 0);
  for (bool counting : {false, true}) {
    SCOPED_TRACE(counting ? "counting" : "walk only");
    std::vector<std::string> args = {"tree", "-o", "out.txt"};
    if (counting) args.push_back("--im");
    RunResult r = run_mailsift(args, opts(60));
    ASSERT_FALSE(r.timed_out);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(row_count(read_file(dir_ + "/out.txt")), 1);
    // mail, proc and sys are counted as the tree's directories, as one that
    // cannot be searched would be; nothing below proc and sys is.
    EXPECT_NE(r.err.find("\n  3 directories, 1 files\n"), std::string::npos) << r.err;
    if (counting) {
      EXPECT_NE(r.err.find(" 1 files to process, 20 bytes\n"), std::string::npos);
    }
  }
}

// The shared libraries this test process runs with: mailsift needs the same.
// The shared libraries `binary` loads, the loader included, as ldd lists them.
std::set<std::string> libraries_of(const std::string& binary) {
  std::set<std::string> libs;
  FILE* pipe = popen(("ldd '" + binary + "'").c_str(), "r");
  if (pipe == nullptr) return libs;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    const std::size_t slash = text.find('/');
    if (slash == std::string::npos) continue;
    const std::size_t end = text.find_first_of(" \n(", slash);
    libs.insert(text.substr(slash, end == std::string::npos ? end : end - slash));
  }
  pclose(pipe);
  return libs;
}

void fail_in_child(const char* what) {
  std::perror(what);
  _exit(77);
}

// `mailsift /nonexistent` searches "/" for files named "nonexistent". Here
// "/" is a small private root with the real kernel file systems mounted in
// it, so the search has a known end: one row, and the directories of the
// root counted, not what lies below proc, sys, devpts or mqueue.
TEST_F(KernelFileSystemE2E, TypoSearchOfTheRootEnds) {
  if (geteuid() != 0) GTEST_SKIP() << "needs root for a private mount name space";
  const std::string root = dir_ + "/root";
  for (const char* d :
       {"/libs", "/proc", "/sys", "/dev/pts", "/dev/mqueue", "/home/mail", "/out"}) {
    make_dirs(root + d);
  }
  write_file(root + "/home/mail/nonexistent", "Subject: found\n");
  namespace fs = std::filesystem;
  std::string loader;
  for (const std::string& lib : libraries_of(mailsift_binary())) {
    std::string name = fs::path(lib).filename().string();
    // Under the name the loader asks for: libstdc++.so.6.0.30 as libstdc++.so.6.
    const std::size_t so = name.find(".so.");
    if (so != std::string::npos) name.resize(std::min(name.size(), name.find('.', so + 4)));
    fs::copy_file(lib, root + "/libs/" + name, fs::copy_options::overwrite_existing);
    if (name.rfind("ld-", 0) == 0) loader = "/libs/" + name;
  }
  ASSERT_FALSE(loader.empty());
  fs::copy_file(mailsift_binary(), root + "/mailsift");
  chmod((root + "/mailsift").c_str(), 0755);

  RunOptions o = opts(120);
  o.program = loader;
  o.in_child = [root] {
    if (unshare(CLONE_NEWNS) != 0) fail_in_child("unshare");
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) fail_in_child("private");
    struct Mount {
      const char* type;
      const char* where;
    };
    for (const Mount& m : {Mount{"proc", "/proc"}, Mount{"sysfs", "/sys"},
                           Mount{"devpts", "/dev/pts"}, Mount{"mqueue", "/dev/mqueue"}}) {
      if (mount(m.type, (root + m.where).c_str(), m.type, 0, nullptr) != 0) fail_in_child(m.type);
    }
    if (chroot(root.c_str()) != 0 || chdir("/") != 0) fail_in_child("chroot");
  };
  RunResult r = run_mailsift(
      {"--library-path", "/libs", "/mailsift", "/nonexistent", "-o", "/out/report.txt", "--im"}, o);
  if (r.status == 77) GTEST_SKIP() << "no private mount name space here: " << r.err;
  ASSERT_FALSE(r.timed_out) << "the search of / did not end";
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string report = read_file(root + "/out/report.txt");
  EXPECT_EQ(row_count(report), 1);
  EXPECT_NE(report.find("\n/home/mail/nonexistent|15|"), std::string::npos) << report;
  // dev, dev/mqueue, dev/pts, home, home/mail, libs, out, proc, sys.
  EXPECT_NE(r.err.find("\n  9 directories, 1 files\n"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace mailsift::test
