#include "platform/program_start.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

uint32_t ReasonFor(int error, const Path& path) {
  switch (error) {
    case ENOMEM:
    case EAGAIN:
      return kStartOutOfResources;
    case ENOENT: {
      // Missing file or a missing folder on the way to it?
      const auto slash = path.find_last_of('/');
      const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
      struct stat st;
      return stat(folder.c_str(), &st) == 0 && S_ISDIR(st.st_mode) ? kStartFileNotFound
                                                                   : kStartPathNotFound;
    }
    case ENOTDIR:
      return kStartPathNotFound;
    case EACCES:
    case EPERM:
      return kStartAccessDenied;
    case ENOEXEC:
    case ELIBBAD:
      return kStartBadFormat;
    default:
      return kStartFailed;
  }
}

// In the forked child: only async-signal-safe calls from here on.
[[noreturn]] void RunDetached(const char* path, char* const argv[], int reportFd) {
  const pid_t grandchild = fork();
  if (grandchild != 0) {
    int error = errno;
    if (grandchild < 0) (void)!write(reportFd, &error, sizeof error);
    _exit(0);  // the grandchild is adopted by init, so nobody has to wait for it
  }
  setsid();
  sigset_t none;
  sigemptyset(&none);
  sigprocmask(SIG_SETMASK, &none, nullptr);
  // Keep only the report pipe; it closes by itself on a successful exec.
  if (reportFd > 3) close_range(3, reportFd - 1, 0);
  close_range(reportFd + 1, ~0u, 0);
  execv(path, argv);
  const int error = errno;
  (void)!write(reportFd, &error, sizeof error);
  _exit(127);
}

}  // namespace

uint32_t WinExec(const Path& path, int /*showCommand*/) {
  int report[2];
  if (pipe2(report, O_CLOEXEC) != 0) return ReasonFor(errno, path);
  std::string argv0 = path;
  char* const argv[] = {argv0.data(), nullptr};
  const pid_t child = fork();
  if (child == 0) {
    close(report[0]);
    RunDetached(path.c_str(), argv, report[1]);
  }
  const int forkError = errno;
  close(report[1]);
  if (child < 0) {
    close(report[0]);
    return ReasonFor(forkError, path);
  }
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  int error = 0;
  ssize_t got;
  while ((got = read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
  }
  close(report[0]);
  return got == sizeof error ? ReasonFor(error, path) : kStartSucceeded;
}

}  // namespace platform
