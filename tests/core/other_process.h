// A real second process for tests of file sharing: it holds files open, or
// runs a program, until the object ends. It dies with the test process too.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>

namespace testing_support {

class OtherProcess {
 public:
  // Forks a child that runs `take` (true when it got what it wanted) and then
  // keeps everything until stopped. `take` may also replace the child by exec.
  explicit OtherProcess(const std::function<bool()>& take) {
    int ready[2];
    if (pipe2(ready, O_CLOEXEC) != 0) return;
    m_pid = fork();
    if (m_pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);
      if (!take()) _exit(write(ready[1], "x", 1));
      close(ready[1]);
      for (;;) pause();
    }
    close(ready[1]);
    // Closed without a byte once the child holds what it took, or execs.
    char failed;
    ssize_t n;
    while ((n = read(ready[0], &failed, 1)) < 0 && errno == EINTR) {
    }
    m_bReady = m_pid > 0 && n == 0;
    close(ready[0]);
  }
  ~OtherProcess() { Stop(); }
  OtherProcess(const OtherProcess&) = delete;
  bool Ready() const { return m_bReady; }
  // Kills the child and waits until it has gone.
  void Stop() {
    if (m_pid > 0 && kill(m_pid, SIGKILL) == 0) {
      while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
      }
    }
    m_pid = -1;
  }

 private:
  pid_t m_pid = -1;
  bool m_bReady = false;
};

// A plain open, as a program that knows nothing of our locks would do it.
inline std::function<bool()> OpensPlainly(const std::string& path) {
  return [path] { return open(path.c_str(), O_RDONLY) >= 0; };
}

// Runs the program at `path` for a minute.
inline std::function<bool()> Runs(const std::string& path) {
  return [path] { return execl(path.c_str(), path.c_str(), "60", nullptr) == 0; };
}

}  // namespace testing_support
