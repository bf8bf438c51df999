#include "bench/process_crowd.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace bench {

ProcessCrowd::ProcessCrowd(int processes, int descriptorsEach) {
  int ready[2];
  if (pipe(ready) != 0) return;
  for (int i = 0; i < processes; ++i) {
    const pid_t pid = fork();
    if (pid == 0) {
      prctl(PR_SET_PDEATHSIG, SIGKILL);  // never outlives the benchmark
      close(ready[0]);
      for (int fd = 0; fd < descriptorsEach; ++fd) open("/dev/null", O_RDONLY);
      char byte = 'r';
      if (write(ready[1], &byte, 1) != 1) _exit(1);
      for (;;) pause();
    }
    if (pid < 0) break;
    m_pids.push_back(pid);
  }
  close(ready[1]);
  char byte;
  for (size_t got = 0; got < m_pids.size();) {
    const ssize_t n = read(ready[0], &byte, 1);
    if (n == 1) ++got;
    if (n == 0 || (n < 0 && errno != EINTR)) break;
  }
  close(ready[0]);
}

ProcessCrowd::~ProcessCrowd() {
  for (pid_t pid : m_pids) kill(pid, SIGKILL);
  for (pid_t pid : m_pids) {
    while (waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
}

}  // namespace bench
