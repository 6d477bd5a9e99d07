// The walk on real directory trees: order, duplicates, links, special files,
// odd names and paths longer than the system's path limit.
#include <dirent.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <pwd.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "e2e/process_runner.h"

namespace mailsift::test {
namespace {

using Strings = std::vector<std::string>;

// The first column of every report row (the text before the first "|"),
// the header row left out.
Strings first_columns(const std::string& report) {
  Strings rows;
  std::size_t start = report.find('\n');
  while (start != std::string::npos) {
    const std::size_t end = report.find('\n', start + 1);
    std::string line = report.substr(start + 1, end == std::string::npos ? end : end - start - 1);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty()) rows.push_back(line.substr(0, line.find('|')));
    start = end;
  }
  return rows;
}

// Removes a tree through descriptors, so that depth beyond the path limit
// is no obstacle.
void remove_at(int parent, const char* name) {
  const int fd = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW);
  if (fd >= 0) {
    DIR* d = ::fdopendir(fd);
    std::vector<std::string> names;
    while (dirent* e = ::readdir(d)) {
      const std::string n = e->d_name;
      if (n != "." && n != "..") names.push_back(n);
    }
    for (const std::string& n : names) remove_at(::dirfd(d), n.c_str());
    ::closedir(d);
    ::unlinkat(parent, name, AT_REMOVEDIR);
  } else {
    ::unlinkat(parent, name, 0);
  }
}

// Runs a program with standard error and input on /dev/null, after `setup`
// ran in the child, and gives its standard output; nullopt when it could not
// run or did not end with `status`.
std::optional<std::string> run_child(const std::string& cwd, Strings args,
                                     const std::function<void()>& setup, int status_wanted = 0) {
  int out[2];
  if (::pipe(out) != 0) return std::nullopt;
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  const pid_t pid = ::fork();
  if (pid < 0) return std::nullopt;
  if (pid == 0) {
    ::dup2(out[1], 1);
    ::close(out[0]);
    ::close(out[1]);
    const int null_fd = ::open("/dev/null", O_RDWR);
    ::dup2(null_fd, 0);
    ::dup2(null_fd, 2);
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    setup();
    ::execv(argv[0], argv.data());
    ::_exit(127);
  }
  ::close(out[1]);
  std::string text;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(out[0], buffer, sizeof buffer)) > 0) text.append(buffer, n);
  ::close(out[0]);
  int status = 0;
  ::waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != status_wanted) return std::nullopt;
  return text;
}

// Runs mailsift as the unprivileged user "nobody" (the caller is root, for
// whom permissions deny nothing); nullopt when that cannot be arranged here.
std::optional<std::string> run_as_nobody(const std::string& cwd, const Strings& args,
                                         int status_wanted) {
  const char* runuser = "/usr/sbin/runuser";
  if (::access(runuser, X_OK) != 0 || ::getpwnam("nobody") == nullptr) return std::nullopt;
  Strings all = {runuser, "-u", "nobody", "--", mailsift_binary()};
  all.insert(all.end(), args.begin(), args.end());
  return run_child(cwd, all, [] {}, status_wanted);
}

class DiscoveryE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = make_scratch_dir();
    root_ = dir_ + "/root";
    make_dirs(root_);
  }
  void TearDown() override {
    remove_at(AT_FDCWD, root_.c_str());
    remove_tree(dir_);
  }
  RunOptions opts(int timeout = 30) {
    RunOptions o;
    o.cwd = dir_;
    o.env = clean_env(dir_);
    o.timeout_seconds = timeout;
    return o;
  }
  void file(const std::string& relative, const std::string& bytes = "Subject: x\n") {
    write_file(root_ + "/" + relative, bytes);
  }

  std::string dir_;
  std::string root_;
};

TEST_F(DiscoveryE2E, DepthFirstInNameOrder) {
  make_dirs(root_ + "/a/deep");
  make_dirs(root_ + "/B");
  file("y.eml");
  file("c.txt");
  file("a/x.eml");
  file("a/deep/w.eml");
  file("B/z.eml");
  file("_last");
  const RunResult r = run_mailsift({root_}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(first_columns(r.out),
            (Strings{root_ + "/a/deep/w.eml", root_ + "/a/x.eml", root_ + "/B/z.eml",
                     root_ + "/c.txt", root_ + "/y.eml", root_ + "/_last"}));
}

TEST_F(DiscoveryE2E, ARootGivenTwiceIsWalkedOnce) {
  file("m.eml");
  const RunResult r = run_mailsift({root_, root_ + "/", "root", "./root/../root"}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(first_columns(r.out), (Strings{root_ + "/m.eml"}));

  // A pattern in a path argument applies to every root.
  make_dirs(dir_ + "/other");
  write_file(dir_ + "/other/n.eml", "x");
  write_file(dir_ + "/other/n.txt", "x");
  file("m.txt");
  const RunResult p = run_mailsift({"root/*.eml", "other/"}, opts());
  EXPECT_EQ(p.status, 0) << p.err;
  EXPECT_EQ(first_columns(p.out), (Strings{root_ + "/m.eml", dir_ + "/other/n.eml"}));
}

TEST_F(DiscoveryE2E, LinksFifosAndDevices) {
  make_dirs(root_ + "/a");
  file("a/m.eml");
  ASSERT_EQ(::symlink("..", (root_ + "/a/loop").c_str()), 0);  // back to the root
  ASSERT_EQ(::symlink("a", (root_ + "/b").c_str()), 0);        // a second way into a
  ASSERT_EQ(::symlink("nowhere", (root_ + "/dead1.eml").c_str()), 0);
  ASSERT_EQ(::symlink("nowhere/either", (root_ + "/dead2.eml").c_str()), 0);
  ASSERT_EQ(::symlink("/dev/null", (root_ + "/null.eml").c_str()), 0);
  ASSERT_EQ(::mkfifo((root_ + "/pipe.eml").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("pipe.eml", (root_ + "/pipe-link.eml").c_str()), 0);
  const RunResult r = run_mailsift({root_}, opts(20));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(first_columns(r.out), (Strings{root_ + "/a/m.eml", root_ + "/b/m.eml",
                                           root_ + "/dead1.eml", root_ + "/dead2.eml"}));
}

TEST_F(DiscoveryE2E, NamesAreTheBytesOnDisk) {
  file("bad\xFF\xFE.eml");
  file("new\nline.eml");
  file("caf\xC3\xA9.eml");
  const RunResult r = run_mailsift({root_}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  const Strings rows = first_columns(r.out);
  ASSERT_GE(rows.size(), 3u);
  EXPECT_EQ(rows[0], root_ + "/bad\xFF\xFE.eml");
  EXPECT_EQ(rows[1], root_ + "/caf\xC3\xA9.eml");
  EXPECT_EQ(rows[2], root_ + "/new");
  EXPECT_NE(r.out.find(root_ + "/new\nline.eml"), std::string::npos);
}

// Makes `levels` nested directories named `name` below the root and a
// message in the deepest; gives the message's path.
std::string make_deep_tree(const std::string& root, const std::string& name, int levels) {
  int fd = ::open(root.c_str(), O_RDONLY | O_DIRECTORY);
  std::string deep = root;
  for (int level = 0; level < levels && fd >= 0; ++level) {
    ::mkdirat(fd, name.c_str(), 0755);
    const int child = ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    ::close(fd);
    fd = child;
    deep += "/" + name;
  }
  const int msg = ::openat(fd, "deep.eml", O_WRONLY | O_CREAT, 0644);
  const bool written = msg >= 0 && ::write(msg, "Subject: deep\n", 14) == 14;
  if (msg >= 0) ::close(msg);
  if (fd >= 0) ::close(fd);
  return written ? deep + "/deep.eml" : "";
}

TEST_F(DiscoveryE2E, TreesDeeperThanTheDescriptorLimit) {
  const std::string expected = make_deep_tree(root_, "d", 200);
  ASSERT_FALSE(expected.empty());
  // One descriptor per level: a soft limit of 64 must not cut the walk short.
  const std::optional<std::string> report = run_child(dir_, {mailsift_binary(), root_}, [] {
    rlimit limit;
    if (::getrlimit(RLIMIT_NOFILE, &limit) != 0 || limit.rlim_max < 1024) ::_exit(126);
    limit.rlim_cur = 64;
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) ::_exit(126);
  });
  ASSERT_TRUE(report.has_value());
  EXPECT_EQ(first_columns(*report), (Strings{expected}));
}

TEST_F(DiscoveryE2E, PathsBeyondTheSystemLimit) {
  // 31 levels of 200-character names: over 6,000 bytes below the root.
  const std::string deep_file = make_deep_tree(root_, std::string(200, 'd'), 31);
  ASSERT_FALSE(deep_file.empty());
  file("top.eml");
  const RunResult r = run_mailsift({root_}, opts());
  EXPECT_EQ(r.status, 0) << r.err;
  const std::string& expected = deep_file;
  ASSERT_GT(expected.size(), 6000u);
  EXPECT_EQ(first_columns(r.out), (Strings{expected, root_ + "/top.eml"}));
}

TEST_F(DiscoveryE2E, UnreadableDirectoriesAndFiles) {
  make_dirs(root_ + "/locked");
  file("locked/hidden.eml");
  make_dirs(root_ + "/open");
  file("open/seen.eml");
  file("secret.eml");
  ASSERT_EQ(::chmod(dir_.c_str(), 0755), 0);
  ASSERT_EQ(::chmod((root_ + "/secret.eml").c_str(), 0), 0);
  ASSERT_EQ(::chmod((root_ + "/locked").c_str(), 0), 0);
  std::string report;
  if (::geteuid() != 0) {
    const RunResult r = run_mailsift({root_}, opts());
    // The locked directory and the unreadable file are warned about, in walk
    // order, and end the run with the read-error code.
    EXPECT_EQ(r.status, 11) << r.err;
    const std::size_t dir_warning =
        r.err.find("\ncan't read directory " + root_ + "/locked (Permission denied)");
    const std::size_t file_warning = r.err.find("\ncan't read file " + root_ + "/secret.eml (");
    EXPECT_NE(file_warning, std::string::npos) << r.err;
    EXPECT_LT(dir_warning, file_warning) << r.err;
    report = r.out;
  } else {
    // As there, the run ends with the read-error code.
    std::optional<std::string> as_nobody = run_as_nobody(dir_, {root_}, 11);
    if (!as_nobody) {
      ::chmod((root_ + "/locked").c_str(), 0755);
      GTEST_SKIP() << "running as root without a way to run as another user: "
                      "permissions deny nothing, so nothing is unreadable";
    }
    report = *as_nobody;
  }
  ::chmod((root_ + "/locked").c_str(), 0755);
  // The locked directory gives nothing; the unreadable file still has its row.
  EXPECT_EQ(first_columns(report), (Strings{root_ + "/open/seen.eml", root_ + "/secret.eml"}));
}

}  // namespace
}  // namespace mailsift::test
