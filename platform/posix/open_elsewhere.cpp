#include "platform/posix/open_elsewhere.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

namespace platform::posix {
namespace {

bool IsDecimal(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// A descriptor under /proc/<pid>/fd (opened as `fdDir`) to the file, other
// than `skip`.
bool HoldsDescriptorTo(int fdDir, dev_t dev, ino_t ino, const char* skip) {
  DIR* dir = fdopendir(fdDir);
  if (!dir) {
    close(fdDir);
    return false;
  }
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    if (!IsDecimal(entry->d_name) || (skip && std::strcmp(entry->d_name, skip) == 0)) continue;
    struct stat st;
    if (fstatat(dirfd(dir), entry->d_name, &st, 0) == 0 && st.st_dev == dev && st.st_ino == ino) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

// A line of /proc/<pid>/maps: "start-end perms offset major:minor inode path".
bool LineMaps(const char* line, const char* end, dev_t dev, ino_t ino) {
  int field = 0;
  const char* at = line;
  while (at < end && field < 3) {
    if (*at++ == ' ') ++field;
  }
  char* next = nullptr;
  const unsigned long major = std::strtoul(at, &next, 16);
  if (next >= end || *next != ':') return false;
  const unsigned long minor = std::strtoul(next + 1, &next, 16);
  if (next >= end || *next != ' ') return false;
  const unsigned long long inode = std::strtoull(next + 1, &next, 10);
  return inode == ino && makedev(major, minor) == dev;
}

bool MapsFile(int maps, dev_t dev, ino_t ino) {
  char buffer[16384];
  size_t kept = 0;
  bool found = false;
  for (;;) {
    const ssize_t n = read(maps, buffer + kept, sizeof buffer - 1 - kept);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    const char* line = buffer;
    const char* end = buffer + kept + n;
    for (const char* newline;
         !found && (newline = static_cast<const char*>(std::memchr(line, '\n', end - line)));
         line = newline + 1) {
      found = LineMaps(line, newline, dev, ino);
    }
    if (found) break;
    kept = static_cast<size_t>(end - line);
    if (kept == sizeof buffer - 1) kept = 0;  // a path longer than the buffer: not ours to parse
    std::memmove(buffer, line, kept);
  }
  close(maps);
  return found;
}

// Whether the process whose /proc folder is open as `procDir` holds the file
// other than through `skip`, by descriptor or by mapping.
bool ProcessHolds(int procDir, dev_t dev, ino_t ino, const char* skip) {
  const int fdDir = openat(procDir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fdDir >= 0 && HoldsDescriptorTo(fdDir, dev, ino, skip)) return true;
  const int maps = openat(procDir, "maps", O_RDONLY | O_CLOEXEC);
  return maps >= 0 && MapsFile(maps, dev, ino);
}

enum class Lease { Granted, Refused, Unavailable };

// A write lease is granted only while no other open file description of the
// file exists anywhere (a mapping keeps its own) and the file is not running.
// It is given back at once: held, it would make every other opener wait.
Lease TryWriteLease(int fd) {
  // A lease broken in between is signalled to its holder, which SIGIO would end.
  struct sigaction ignore = {}, previous = {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  if (sigaction(SIGIO, &ignore, &previous) != 0) return Lease::Unavailable;
  Lease lease = Lease::Granted;
  if (fcntl(fd, F_SETLEASE, F_WRLCK) != 0) {
    // EAGAIN: open elsewhere. EACCES (not the owner), EINVAL (no leases on this
    // file system, or leases switched off): the kernel cannot say.
    lease = errno == EAGAIN ? Lease::Refused : Lease::Unavailable;
  } else {
    fcntl(fd, F_SETLEASE, F_UNLCK);
  }
  sigaction(SIGIO, &previous, nullptr);
  return lease;
}

bool ThisProcessHoldsAnother(int fd, const struct stat& st) {
  const int self = open("/proc/self", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (self < 0) return true;  // cannot tell: let the scan decide
  const std::string own = std::to_string(fd);
  const bool holds = ProcessHolds(self, st.st_dev, st.st_ino, own.c_str());
  close(self);
  return holds;
}

}  // namespace

bool FoundByScan(dev_t dev, ino_t ino) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  const std::string self = std::to_string(getpid());
  bool found = false;
  while (!found) {
    const dirent* entry = readdir(proc);
    if (!entry) break;
    if (!IsDecimal(entry->d_name) || self == entry->d_name) continue;
    const int procDir = openat(dirfd(proc), entry->d_name, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procDir < 0) continue;  // ended meanwhile
    found = ProcessHolds(procDir, dev, ino, nullptr);
    close(procDir);
  }
  closedir(proc);
  return found;
}

bool OpenElsewhere(int fd, const struct stat& st) {
  switch (TryWriteLease(fd)) {
    case Lease::Granted:
      return false;
    case Lease::Refused:
      // Refused for this process's own other descriptors too, which do not count.
      if (!ThisProcessHoldsAnother(fd, st)) return true;
      break;
    case Lease::Unavailable:
      break;
  }
  return FoundByScan(st.st_dev, st.st_ino);
}

}  // namespace platform::posix
