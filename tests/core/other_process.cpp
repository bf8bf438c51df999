#include "tests/core/other_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace testing_support {
namespace {

void Reap(pid_t pid) {
  while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
  }
}

ssize_t ReadRetrying(int fd, char* byte) {
  ssize_t n;
  do {
    n = read(fd, byte, 1);
  } while (n < 0 && errno == EINTR);
  return n;
}

}  // namespace

HoldingProcess::HoldingProcess(const std::function<bool()>& open) {
  int ready[2], release[2];
  if (pipe2(ready, O_CLOEXEC) != 0) return;
  if (pipe2(release, O_CLOEXEC) != 0) {
    close(ready[0]);
    close(ready[1]);
    return;
  }
  m_pid = fork();
  if (m_pid == 0) {
    close(ready[0]);
    close(release[1]);
    const char result = open() ? '1' : '0';
    if (write(ready[1], &result, 1) != 1) _exit(1);
    char ignored;
    ReadRetrying(release[0], &ignored);  // until killed, or the test process has gone
    _exit(0);
  }
  close(ready[1]);
  close(release[0]);
  m_releaseFd = release[1];
  char result = '0';
  if (m_pid > 0 && ReadRetrying(ready[0], &result) == 1) m_bOpened = result == '1';
  close(ready[0]);
}

HoldingProcess::~HoldingProcess() {
  Release();
}

void HoldingProcess::Release() {
  // Killed rather than asked: a later child may hold this pipe's write end.
  if (m_pid > 0) {
    kill(m_pid, SIGKILL);
    Reap(m_pid);
  }
  m_pid = -1;
  if (m_releaseFd >= 0) close(m_releaseFd);
  m_releaseFd = -1;
}

RunningProgram::RunningProgram(const std::string& path, const std::vector<std::string>& args) {
  std::vector<char*> argv{const_cast<char*>(path.c_str())};
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  int started[2];
  if (pipe2(started, O_CLOEXEC) != 0) return;
  m_pid = fork();
  if (m_pid == 0) {
    close(started[0]);
    execv(path.c_str(), argv.data());
    const char failed = 'x';
    if (write(started[1], &failed, 1) != 1) _exit(126);
    _exit(127);
  }
  close(started[1]);
  // The pipe closes on a successful exec, so end of file means the program runs.
  char failed;
  m_bStarted = m_pid > 0 && ReadRetrying(started[0], &failed) == 0;
  close(started[0]);
}

RunningProgram::~RunningProgram() {
  Stop();
}

void RunningProgram::Stop() {
  if (m_pid > 0) {
    kill(m_pid, SIGKILL);
    Reap(m_pid);
  }
  m_pid = -1;
}

}  // namespace testing_support
