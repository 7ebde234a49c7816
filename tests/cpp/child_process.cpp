#include "child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

ChildOutcome runInChild(const std::function<void()>& body) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) {
    std::perror("pipe");
    std::abort();
  }
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid < 0) {
    std::perror("fork");
    std::abort();
  }
  if (pid == 0) {
    close(pipeFds[0]);
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[1]);
    body();
    std::fflush(stdout);
    _exit(0);
  }
  close(pipeFds[1]);
  ChildOutcome outcome{false, -1, {}};
  char chunk[4096];
  ssize_t got;
  while ((got = read(pipeFds[0], chunk, sizeof chunk)) > 0) {
    outcome.out.append(chunk, static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  outcome.exited = WIFEXITED(status);
  outcome.exitStatus = outcome.exited ? WEXITSTATUS(status) : -1;
  return outcome;
}
