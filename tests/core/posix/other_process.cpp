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

void OtherProcess::Start(const ChildCommand& command) {
  std::vector<std::string> words = command.arguments;
  words.insert(words.begin(), command.program);
  std::vector<char*> argv;
  for (std::string& word : words) argv.push_back(word.data());
  argv.push_back(nullptr);
  int output[2];
  if (pipe2(output, O_CLOEXEC) != 0) return;
  const pid_t pid = fork();
  if (pid == 0) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);  // dies with the test
    dup2(output[1], STDOUT_FILENO);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(output[1]);
  if (pid < 0) {
    close(output[0]);
    return;
  }
  m_process = pid;
  m_output = output[0];
}

bool OtherProcess::ReadReady() {
  if (m_output < 0) return false;
  char byte;
  ssize_t n;
  while ((n = read(static_cast<int>(m_output), &byte, 1)) < 0 && errno == EINTR) {
  }
  return n == 1;
}

int OtherProcess::Wait() {
  if (m_process > 0 && !m_bEnded) {
    int status = 0;
    while (waitpid(static_cast<pid_t>(m_process), &status, 0) < 0 && errno == EINTR) {
    }
    m_bEnded = true;
    m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  return m_nExitCode;
}

bool OtherProcess::Kill() {
  bool killed = false;
  if (m_process > 0 && !m_bEnded && kill(static_cast<pid_t>(m_process), SIGKILL) == 0) {
    int status = 0;
    while (waitpid(static_cast<pid_t>(m_process), &status, 0) < 0 && errno == EINTR) {
    }
    m_bEnded = true;
    killed = WIFSIGNALED(status);
    m_nExitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
  if (m_output >= 0) close(static_cast<int>(m_output));
  m_output = -1;
  return killed;
}

}  // namespace testing_support
