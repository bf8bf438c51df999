#include "tests/core/other_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>

namespace testing_support {

size_t OpenHandleCount() {
  const std::filesystem::directory_iterator fds("/proc/self/fd");
  return static_cast<size_t>(std::distance(begin(fds), end(fds)));
}

OtherProcess::OtherProcess(const ChildCommand& command) {
  std::vector<char*> argv;
  for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  m_process = fork();
  if (m_process == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // dies with the test
    dup2(output[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  m_output = output[0];
  char byte;
  ssize_t n;
  while ((n = read(output[0], &byte, 1)) < 0 && errno == EINTR) {
  }
  m_bReady = n == 1;
}

bool OtherProcess::Kill() {
  int status = 0;
  if (m_process > 0) {
    kill(static_cast<pid_t>(m_process), SIGKILL);
    while (waitpid(static_cast<pid_t>(m_process), &status, 0) < 0 && errno == EINTR) {
    }
  }
  if (m_output >= 0) close(static_cast<int>(m_output));
  const bool killed = m_process > 0 && WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
  m_process = m_output = -1;
  return killed;
}

}  // namespace testing_support
