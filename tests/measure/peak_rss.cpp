// Runs a program and writes its peak resident set size (KiB) to a file:
//
//   mailsift_peak_rss RESULT_FILE PROGRAM [ARGS...]
//
// The end-to-end tests start the binary under test through this small
// process, because a child forked straight from the test process would count
// the test's own memory, resident at the fork, in its peak. Exits with the
// program's status (128 + signal when a signal ended it).
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

int main(int argc, char** argv) {
  if (argc < 3) return 125;
  const pid_t pid = fork();
  if (pid < 0) return 125;
  if (pid == 0) {
    execv(argv[2], argv + 2);
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  while (wait4(pid, &status, 0, &usage) < 0) {
  }
  if (std::FILE* out = std::fopen(argv[1], "w")) {
    std::fprintf(out, "%ld\n", usage.ru_maxrss);
    std::fclose(out);
  }
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}
