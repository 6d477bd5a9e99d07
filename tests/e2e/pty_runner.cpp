#include "e2e/pty_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <stdexcept>

#include "e2e/process_runner.h"

namespace mailsift::test {

namespace {

constexpr char kPrompt[] = "RETURN TO CONTINUE, ^C or x==exit";

int count_prompts(const std::string& text) {
  int n = 0;
  for (std::size_t at = text.find(kPrompt); at != std::string::npos;
       at = text.find(kPrompt, at + 1)) {
    ++n;
  }
  return n;
}

bool in_raw_mode(int master) {
  termios t;
  if (tcgetattr(master, &t) != 0) return false;
  return (t.c_lflag & (ICANON | ECHO)) == 0;
}

}  // namespace

PtyResult run_on_pty(const std::vector<std::string>& args, const std::vector<std::string>& env,
                     const std::string& cwd, const std::vector<std::string>& keys,
                     int timeout_seconds) {
  int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
    throw std::runtime_error("no pseudo-terminal");
  }
  std::string slave_name = ptsname(master);
  int out_pipe[2];
  if (pipe(out_pipe) != 0) throw std::runtime_error("pipe failed");

  std::vector<std::string> argv_store{mailsift_binary()};
  argv_store.insert(argv_store.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : argv_store) argv.push_back(a.data());
  argv.push_back(nullptr);
  std::vector<std::string> env_store = env;
  std::vector<char*> envp;
  for (auto& e : env_store) envp.push_back(e.data());
  envp.push_back(nullptr);

  pid_t pid = fork();
  if (pid < 0) throw std::runtime_error("fork failed");
  if (pid == 0) {
    setsid();
    int slave = open(slave_name.c_str(), O_RDWR);  // becomes the controlling terminal
    if (slave < 0) _exit(127);
    dup2(slave, 0);
    dup2(slave, 2);
    dup2(out_pipe[1], 1);
    close(slave);
    close(master);
    close(out_pipe[0]);
    close(out_pipe[1]);
    if (!cwd.empty() && chdir(cwd.c_str()) != 0) _exit(127);
    execve(argv[0], argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);

  PtyResult result;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  pollfd fds[2] = {{master, POLLIN, 0}, {out_pipe[0], POLLIN, 0}};
  bool exited = false;
  int wstatus = 0;
  char buffer[65536];
  while (true) {
    poll(fds, 2, 20);
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
      ssize_t n = read(fds[i].fd, buffer, sizeof buffer);
      if (n <= 0) {
        if (i == 1) close(fds[i].fd);
        fds[i].fd = -1;
        continue;
      }
      (i == 0 ? result.terminal : result.out).append(buffer, static_cast<std::size_t>(n));
    }
    result.prompts = count_prompts(result.terminal);
    if (!exited && result.prompts > result.keys_sent &&
        static_cast<std::size_t>(result.keys_sent) < keys.size() && in_raw_mode(master)) {
      const std::string& key = keys[static_cast<std::size_t>(result.keys_sent)];
      ssize_t ignored = write(master, key.data(), key.size());
      (void)ignored;
      ++result.keys_sent;
    }
    if (!exited && waitpid(pid, &wstatus, WNOHANG) == pid) exited = true;
    if (exited && fds[0].fd < 0 && fds[1].fd < 0) break;
    if (exited) {
      // Drain what is left without waiting for a hang-up that may not come.
      pollfd rest[2] = {fds[0], fds[1]};
      if (poll(rest, 2, 50) <= 0) break;
    }
    if (std::chrono::steady_clock::now() > deadline) {
      kill(pid, SIGKILL);
      waitpid(pid, &wstatus, 0);
      exited = true;
      break;
    }
  }
  termios t;
  result.restored = tcgetattr(master, &t) == 0 && (t.c_lflag & (ICANON | ECHO)) == (ICANON | ECHO);
  if (fds[1].fd >= 0) close(fds[1].fd);
  close(master);
  if (WIFEXITED(wstatus)) {
    result.status = WEXITSTATUS(wstatus);
  } else if (WIFSIGNALED(wstatus)) {
    result.status = 128 + WTERMSIG(wstatus);
  }
  return result;
}

}  // namespace mailsift::test
