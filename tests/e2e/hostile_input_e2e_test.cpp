// Hostile input, end to end: every case must end in time (the run is killed
// at its bound) and within its peak memory, with the expected exit status and
// the expected number of rows. Cases named "Stress" are the large ones.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <ostream>
#include <random>
#include <string>
#include <vector>

#include "e2e/process_runner.h"
#include "e2e/run_checks.h"

namespace mailsift::test {
namespace {

// Writes `size` bytes made by `fill` (called with each chunk) in pieces, so
// that the test process never holds a large input when it starts the run.
void write_chunks(const std::string& path, std::size_t size,
                  const std::function<void(std::string&)>& fill) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  std::string chunk;
  while (size > 0) {
    chunk.assign(std::min<std::size_t>(size, 1 << 20), '\0');
    fill(chunk);
    out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
    size -= chunk.size();
  }
  ASSERT_TRUE(out.good()) << path;
}

// Random bytes; `no_end` leaves out Ctrl-Z, which would end a text file at
// once, so that all of it is read.
void write_random(const std::string& path, std::size_t size, bool no_end = false) {
  std::mt19937 random(12);
  write_chunks(path, size, [&random, no_end](std::string& chunk) {
    for (char& c : chunk) {
      c = static_cast<char>(random());
      if (no_end && c == '\x1a') c = 'z';
    }
  });
}

// Lines of 2 to 300 random bytes other than NUL, line feed and Ctrl-Z: a list
// file that is read to its end.
void write_random_lines(const std::string& path, std::size_t size) {
  std::mt19937 random(13);
  write_chunks(path, size, [&random](std::string& chunk) {
    std::size_t line = 0, length = 2 + random() % 299;
    for (char& c : chunk) {
      if (line++ == length) {
        c = '\n';
        line = 0;
        length = 2 + random() % 299;
        continue;
      }
      do {
        c = static_cast<char>(random());
      } while (c == '\0' || c == '\n' || c == '\x1a');
    }
  });
}

void write_repeated(const std::string& path, const std::string& head, const std::string& line,
                    std::size_t count) {
  write_file(path, head);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  std::string chunk;
  for (std::size_t i = 0; i < count; ++i) {
    chunk += line;
    if (chunk.size() > (1 << 20) || i + 1 == count) {
      out.write(chunk.data(), static_cast<std::streamsize>(chunk.size()));
      chunk.clear();
    }
  }
}

// A directory chain longer than PATH_MAX, made relative to open directories.
void make_deep_tree(const std::string& root, int levels) {
  make_dirs(root);
  int fd = open(root.c_str(), O_RDONLY | O_DIRECTORY);
  const std::string name(40, 'd');
  for (int i = 0; i < levels && fd >= 0; ++i) {
    mkdirat(fd, name.c_str(), 0755);
    int child = openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY);
    close(fd);
    fd = child;
  }
  ASSERT_GE(fd, 0);
  int file = openat(fd, "bottom.eml", O_WRONLY | O_CREAT | O_TRUNC, 0644);
  ASSERT_EQ(write(file, "Subject: deep\n", 14), 14);
  close(file);
  close(fd);
}

// Thirty "*" that can never match a name of "a"s: a naive matcher takes
// exponential time over 255-character names.
std::string thirty_stars(char letter) {
  std::string pattern;
  for (int i = 0; i < 29; ++i) pattern += std::string("*") + letter;
  return pattern + "*B";
}

struct Case {
  const char* name;
  std::function<void(const std::string& in)> make;  // builds the input under in/
  std::vector<std::string> args;                    // after "in -o out/report.txt"
  int status;
  int rows;
  int seconds;  // time bound
  int mib;      // peak memory bound
  bool as_other_user = false;
  const char* unreadable_dir = nullptr;  // warned about, below the input
};

void PrintTo(const Case& c, std::ostream* out) {
  *out << c.name;
}

void random_file(const std::string& in) {
  write_random(in + "/random.eml", 1 << 20);
}
void nul_bytes(const std::string& in) {
  write_file(in + "/nul.eml", std::string("From: a\0b@example.com\n\0\0Subject: s\0t\n", 36) +
                                  std::string(65536, '\0') + "To: c@example.com\n");
}
void cr_only_and_ctrl_z(const std::string& in) {
  std::string cr;
  for (int i = 0; i < 10000; ++i) cr += "From: a@example.com\rTo: b@example.com\r";
  write_file(in + "/cr.eml", cr);
  write_file(in + "/ctrlz.eml", "From: a@example.com\n\x1aSubject: after the end\n");
}
void awkward_names(const std::string& in) {
  for (const char* name :
       {"\xff\xfe\x80.eml", "new\nline.eml", "pi|pe.eml", "-dash.eml", "-o", "--source=x"}) {
    write_file(in + "/" + name, "Subject: odd name\n");
  }
}
void links_fifos_devices(const std::string& in) {
  write_file(in + "/real.eml", "Subject: real\n");
  make_dirs(in + "/sub");
  symlink("..", (in + "/sub/up").c_str());    // a directory loop
  symlink("b.eml", (in + "/a.eml").c_str());  // a link loop: two entries
  symlink("a.eml", (in + "/b.eml").c_str());  // that cannot be read
  symlink("/dev/zero", (in + "/zero.eml").c_str());
  mkfifo((in + "/fifo.eml").c_str(), 0644);
  if (geteuid() == 0) mknod((in + "/null.eml").c_str(), S_IFCHR | 0644, makedev(1, 3));
}
void long_names(const std::string& in) {
  for (int i = 0; i < 20; ++i) {
    write_file(in + "/" + std::string(250, 'a') + std::to_string(10000 + i), "To: x\n");
  }
}
// A directory that cannot be searched is warned about, and a file that
// cannot be opened keeps its row; both end the run with 11.
void unreadable(const std::string& in) {
  write_file(in + "/readable.eml", "Subject: fine\n");
  write_file(in + "/locked.eml", "Subject: locked\n");
  chmod((in + "/locked.eml").c_str(), 0);
  make_dirs(in + "/closed");
  write_file(in + "/closed/inside.eml", "Subject: inside\n");
  chmod((in + "/closed").c_str(), 0);
}
void random_megabytes(const std::string& in) {
  write_random(in + "/random.eml", 5 << 20);
}
void fifty_megabyte_line(const std::string& in) {
  write_chunks(in + "/line.eml", 50 << 20, [](std::string& c) { c.assign(c.size(), 'x'); });
}
void two_million_header_lines(const std::string& in) {
  write_repeated(in + "/to.eml", "From: a@example.com\n", "To: b@example.com\n", 2000000);
}
void deeper_than_path_max(const std::string& in) {
  make_deep_tree(in, 150);  // 150 x 41 bytes, past PATH_MAX (4096)
}
void random_ini_file(const std::string& in) {
  write_file(in + "/m.eml", "Subject: one\n");
  write_random(in + "/../mailsift.ini", 10 << 20, true);
}
void random_list_file(const std::string& in) {
  write_random_lines(in + "/list.txt", 10 << 20);
}

// clang-format off
const std::vector<Case>& cases() {
  static const std::vector<Case> table = {
      // name                          input                     args  status rows  s  MiB
      {"BinaryFile",                   random_file,              {},        0,   1, 30,  32},
      {"NulBytes",                     nul_bytes,                {},        0,   1, 30,  32},
      {"CrOnlyAndCtrlZ",               cr_only_and_ctrl_z,       {},        0,   2, 30,  32},
      {"AwkwardNames",                 awkward_names,            {},        0,   6, 30,  32},
      // The loop of two links gives two rows of entries that cannot be read.
      {"LinkLoopsFifosAndDevices",     links_fifos_devices,      {},        0,   3, 30,  32},
      {"NamePatternOfThirtyStars",     long_names, {"-f", thirty_stars('a')}, 0, 0, 30,  32},
      {"ExclusionOfThirtyStars",       long_names, {"-x", thirty_stars('A')}, 0, 20, 30, 32},
      {"UnreadableDirectoryAndFile",   unreadable,               {},       11,   2, 30,  32, true,
       "closed"},
      {"StressRandomMegabytes",        random_megabytes,         {},        0,   1, 60,  32},
      {"StressFiftyMegabyteLine",      fifty_megabyte_line,      {},        0,   1, 60,  32},
      {"StressTwoMillionHeaderLines",  two_million_header_lines, {},        0,   1, 120, 256},
      {"StressDeeperThanPathMax",      deeper_than_path_max,     {},        0,   1, 60,  32},
      {"StressRandomIniFile",          random_ini_file,          {},        0,   1, 60,  64},
      {"StressRandomListFile",         random_list_file, {"--source=in/list.txt"}, 0, 0, 60, 64},
  };
  return table;
}
// clang-format on

class HostileInputE2E : public ::testing::TestWithParam<Case> {
 protected:
  void SetUp() override { dir_ = make_scratch_dir(); }
  void TearDown() override { remove_tree(dir_); }
  std::string dir_;
};

TEST_P(HostileInputE2E, EndsInTimeAndMemory) {
  const Case& c = GetParam();
  const std::string in = dir_ + "/in";
  make_dirs(in);
  make_dirs(dir_ + "/out");
  c.make(in);
  if (HasFatalFailure()) return;
  std::vector<std::string> args = {"in", "-o", "out/report.txt"};
  args.insert(args.end(), c.args.begin(), c.args.end());
  RunOptions o;
  o.cwd = dir_;
  o.env = clean_env(dir_);
  o.timeout_seconds = c.seconds;
  o.measure_memory = true;
  if (c.as_other_user && geteuid() == 0) {
    // Permissions mean nothing to root: the run is made as nobody, with
    // copies of the programs and a scratch directory that nobody can use.
    o.program = dir_ + "/mailsift";
    o.memory_helper = dir_ + "/peak_rss";
    std::filesystem::copy_file(mailsift_binary(), o.program);
    std::filesystem::copy_file(MAILSIFT_PEAK_RSS, o.memory_helper);
    chmod(o.program.c_str(), 0755);
    chmod(o.memory_helper.c_str(), 0755);
    chmod(dir_.c_str(), 0755);
    chmod((dir_ + "/out").c_str(), 0777);
    o.in_child = [] {
      const gid_t nobody = 65534;
      if (setgroups(0, nullptr) != 0 || setgid(nobody) != 0 || setuid(nobody) != 0) _exit(126);
    };
  }
  RunResult r = run_mailsift(args, o);
  ASSERT_FALSE(r.timed_out) << "not done within " << c.seconds << " s";
  EXPECT_EQ(r.status, c.status) << r.err.substr(0, 2000);
  EXPECT_EQ(count_rows(read_file(dir_ + "/out/report.txt"), in + "/"), c.rows);
  EXPECT_LT(r.peak_rss_kib, c.mib * 1024L);
  if (c.unreadable_dir != nullptr) {
    const std::string warning =
        "\ncan't read directory " + in + "/" + c.unreadable_dir + " (Permission denied)";
    EXPECT_NE(r.err.find(warning), std::string::npos) << r.err.substr(0, 2000);
  }
  std::printf("%s: %.2f s, peak RSS %ld KiB\n", c.name, r.seconds, r.peak_rss_kib);
}

INSTANTIATE_TEST_SUITE_P(Cases, HostileInputE2E, ::testing::ValuesIn(cases()),
                         [](const ::testing::TestParamInfo<Case>& param) {
                           return std::string(param.param.name);
                         });

}  // namespace
}  // namespace mailsift::test
