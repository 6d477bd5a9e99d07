#include "e2e/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace mailsift::test {

std::string mailsift_binary() {
  return MAILSIFT_BINARY;
}

// Bytes the process has read so far (its "rchar"), 0 when unknown.
long long bytes_read_by(pid_t pid) {
  std::ifstream io("/proc/" + std::to_string(pid) + "/io");
  std::string key;
  long long value = 0;
  while (io >> key >> value) {
    if (key == "rchar:") return value;
  }
  return 0;
}

// True once the process has a handler for `signal_number` (its SigCgt mask).
bool catches(pid_t pid, int signal_number) {
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("SigCgt:", 0) != 0) continue;
    const unsigned long long mask = std::stoull(line.substr(7), nullptr, 16);
    return (mask >> (signal_number - 1)) & 1;
  }
  return false;
}

RunResult run_mailsift(const std::vector<std::string>& args, const RunOptions& options) {
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0 || pipe(err_pipe) != 0) {
    throw std::runtime_error("pipe failed");
  }
  std::vector<std::string> argv_store;
  std::string rss_file;
  if (options.measure_memory) {
    rss_file = std::filesystem::temp_directory_path().string() + "/mailsift-rss-XXXXXX";
    const int fd = mkstemp(rss_file.data());
    if (fd < 0) throw std::runtime_error("mkstemp failed");
    close(fd);
    chmod(rss_file.c_str(), 0666);  // also for a run under another user
    argv_store.push_back(options.memory_helper.empty() ? MAILSIFT_PEAK_RSS : options.memory_helper);
    argv_store.push_back(rss_file);
  }
  argv_store.push_back(options.program.empty() ? mailsift_binary() : options.program);
  argv_store.insert(argv_store.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_store) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_store = options.env;
  std::vector<char*> envp;
  for (auto& e : env_store) envp.push_back(e.data());
  envp.push_back(nullptr);

  const auto started = std::chrono::steady_clock::now();
  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setpgid(0, 0);
    dup2(in_pipe[0], 0);
    if (options.stdout_path.empty()) {
      dup2(out_pipe[1], 1);
    } else {
      int fd = open(options.stdout_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
      if (fd < 0) _exit(127);
      dup2(fd, 1);
      close(fd);
    }
    dup2(err_pipe[1], 2);
    for (int fd : {in_pipe[0], in_pipe[1], out_pipe[0], out_pipe[1], err_pipe[0], err_pipe[1]}) {
      close(fd);
    }
    if (!options.cwd.empty() && chdir(options.cwd.c_str()) != 0) _exit(127);
    if (options.address_space_limit > 0) {
      rlimit limit{static_cast<rlim_t>(options.address_space_limit),
                   static_cast<rlim_t>(options.address_space_limit)};
      setrlimit(RLIMIT_AS, &limit);
    }
    if (options.in_child) options.in_child();
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  signal(SIGPIPE, SIG_IGN);
  if (!options.stdin_text.empty()) {
    ssize_t ignored = write(in_pipe[1], options.stdin_text.data(), options.stdin_text.size());
    (void)ignored;
  }
  close(in_pipe[1]);

  RunResult result;
  bool interrupted = false;
  // Sends the interrupt signal once, and only to a child still running.
  auto interrupt = [&]() {
    siginfo_t info{};
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
        info.si_pid == 0) {
      kill(pid, options.interrupt_signal);
      result.signalled = true;
    }
    interrupted = true;
  };
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
  pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0}};
  int open_count = 2;
  char buffer[65536];
  const bool watch_reads = options.interrupt_after_read_bytes > 0;
  const bool watch_time = options.interrupt_after_seconds > 0;
  bool caught = false;
  auto caught_at = std::chrono::steady_clock::now();
  while (open_count > 0) {
    int ready = poll(fds, 2, watch_reads || watch_time ? 2 : 200);
    if (std::chrono::steady_clock::now() > deadline) {
      kill(-pid, SIGKILL);
      kill(pid, SIGKILL);
      result.timed_out = true;
      break;
    }
    // A signal that came before the program installs its handlers would only
    // show the default action: the triggers wait for the handler, and the
    // time is counted from then.
    if ((watch_reads || watch_time) && !interrupted && !caught &&
        catches(pid, options.interrupt_signal)) {
      caught = true;
      caught_at = std::chrono::steady_clock::now();
    }
    if (caught && watch_reads && !interrupted &&
        bytes_read_by(pid) > options.interrupt_after_read_bytes) {
      interrupt();
    }
    if (caught && watch_time && !interrupted &&
        std::chrono::duration<double>(std::chrono::steady_clock::now() - caught_at).count() >=
            options.interrupt_after_seconds) {
      interrupt();
    }
    if (ready <= 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP)) == 0) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
        continue;
      }
      (i == 0 ? result.out : result.err).append(buffer, static_cast<std::size_t>(n));
      if (i == 1 && !interrupted && options.interrupt_when && options.interrupt_when(result.err)) {
        interrupt();
      }
    }
  }
  for (auto& f : fds) {
    if (f.fd >= 0) close(f.fd);
  }
  int wstatus = 0;
  waitpid(pid, &wstatus, 0);
  if (!rss_file.empty()) {
    std::ifstream(rss_file) >> result.peak_rss_kib;
    std::remove(rss_file.c_str());
  }
  result.seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  if (WIFEXITED(wstatus)) {
    result.status = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    result.status = 128 + WTERMSIG(wstatus);
  }
  return result;
}

std::string make_scratch_dir() {
  std::string base = std::filesystem::temp_directory_path().string() + "/mailsift-e2e-XXXXXX";
  if (mkdtemp(base.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
  return base;
}

void remove_tree(const std::string& path) {
  std::error_code ec;
  // Make everything writable again so that removal cannot fail on modes.
  std::filesystem::recursive_directory_iterator it(
      path, std::filesystem::directory_options::skip_permission_denied, ec);
  for (; !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
    if (!it->is_symlink(ec)) chmod(it->path().c_str(), 0700);
  }
  std::filesystem::remove_all(path, ec);
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

void make_dirs(const std::string& path) {
  std::filesystem::create_directories(path);
}

void set_mtime_local(const std::string& path, int year, int month, int day, int hour, int minute,
                     int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  time_t t = mktime(&tm);
  timespec times[2] = {{t, 0}, {t, 0}};
  if (utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
    throw std::runtime_error("utimensat failed for " + path);
  }
}

namespace {

// With MAILSIFT_E2E_JOBS=N in the test's environment, every run reads a
// standing INI file that holds JOBS=N, so the whole suite also runs with that
// many scanning threads and must see the same output.
std::string config_home(const std::string& home) {
  const char* jobs = std::getenv("MAILSIFT_E2E_JOBS");
  if (jobs == nullptr || *jobs == '\0') return home + "/.config";
  struct StandingIni {
    explicit StandingIni(const char* value) : dir(make_scratch_dir()) {
      make_dirs(dir + "/mailsift");
      write_file(dir + "/mailsift/mailsift.ini", std::string("JOBS=") + value + "\n");
    }
    ~StandingIni() { remove_tree(dir); }
    std::string dir;
  };
  static const StandingIni shared(jobs);
  return shared.dir;
}

}  // namespace

// With MAILSIFT_E2E_IO=plain every run reads without the read ring, with
// MAILSIFT_E2E_IO=ahead every file through it.
std::vector<std::string> clean_env(const std::string& home) {
  std::vector<std::string> env = {"TZ=UTC",
                                  "LANG=C",
                                  "LC_ALL=C",
                                  "HOME=" + home,
                                  "PATH=/usr/bin:/bin",
                                  "XDG_CONFIG_HOME=" + config_home(home)};
  const char* io = std::getenv("MAILSIFT_E2E_IO");
  if (io != nullptr && *io != '\0') env.push_back(std::string("MAILSIFT_IO=") + io);
  return env;
}

}  // namespace mailsift::test
