#include "platform/posix/open_elsewhere.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

namespace platform::posix {
namespace {

// Folder listings are read with one buffer each, a few hundred entries a call.
constexpr size_t kListing = 32 * 1024;

bool IsDecimal(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

// Calls `visit` with each numeric name in the open folder `dir` until it
// returns true; returns whether one did.
template <typename Visit>
bool AnyNumericEntry(int dir, char* buffer, Visit visit) {
  for (;;) {
    const ssize_t n = getdents64(dir, buffer, kListing);
    if (n <= 0) return false;
    for (ssize_t at = 0; at < n;) {
      const auto* entry = reinterpret_cast<const dirent64*>(buffer + at);
      at += entry->d_reclen;
      if (IsDecimal(entry->d_name) && visit(entry->d_name)) return true;
    }
  }
}

// A descriptor under /proc/<pid>/fd (opened as `fdDir`) to the file, other
// than `skip`. The status of the file behind each one is its link followed.
bool HoldsDescriptorTo(int fdDir, dev_t dev, ino_t ino, const char* skip, char* buffer) {
  const bool found = AnyNumericEntry(fdDir, buffer, [&](const char* name) {
    struct stat st;
    return (!skip || std::strcmp(name, skip) != 0) && fstatat(fdDir, name, &st, 0) == 0 &&
           st.st_dev == dev && st.st_ino == ino;
  });
  close(fdDir);
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

bool MapsFileAsText(int maps, dev_t dev, ino_t ino) {
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
  return found;
}

// The kernel's binary answer about one mapping (Linux 6.11 and later): no
// text to make for each mapping, and only those of files.
struct MappingQuery {
  uint64_t size, flags, address;
  uint64_t start, end, vmaFlags, pageSize, offset, inode;
  uint32_t devMajor, devMinor, nameSize, buildIdSize;
  uint64_t nameAddress, buildIdAddress;
};
constexpr unsigned long kQueryMapping = _IOWR('f', 17, MappingQuery);
constexpr uint64_t kCoveringOrNext = 0x10, kFileBacked = 0x20;

enum class Answer { Yes, No, Unknown };

Answer QueryMappings(int maps, dev_t dev, ino_t ino) {
  for (uint64_t address = 0;;) {
    MappingQuery query = {};
    query.size = sizeof query;
    query.flags = kCoveringOrNext | kFileBacked;
    query.address = address;
    if (ioctl(maps, kQueryMapping, &query) != 0)
      return errno == ENOENT ? Answer::No : Answer::Unknown;
    if (query.inode == ino && makedev(query.devMajor, query.devMinor) == dev) return Answer::Yes;
    if (query.end <= address) return Answer::Unknown;
    address = query.end;
  }
}

bool MapsFile(int maps, dev_t dev, ino_t ino) {
  // Once refused as unknown, the kernel is not asked again.
  static std::atomic<bool> queries{true};
  Answer answer = Answer::Unknown;
  if (queries.load(std::memory_order_relaxed)) {
    answer = QueryMappings(maps, dev, ino);
    if (answer == Answer::Unknown && (errno == ENOTTY || errno == EINVAL)) queries = false;
  }
  const bool found =
      answer == Answer::Unknown ? MapsFileAsText(maps, dev, ino) : answer == Answer::Yes;
  close(maps);
  return found;
}

// Whether the process whose /proc folder is open as `procDir` holds the file
// other than through `skip`, by descriptor or by mapping.
bool ProcessHolds(int procDir, dev_t dev, ino_t ino, const char* skip, char* buffer) {
  const int fdDir = openat(procDir, "fd", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fdDir >= 0 && HoldsDescriptorTo(fdDir, dev, ino, skip, buffer)) return true;
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
  const std::unique_ptr<char[]> buffer(new char[kListing]);
  const bool holds = ProcessHolds(self, st.st_dev, st.st_ino, own.c_str(), buffer.get());
  close(self);
  return holds;
}

}  // namespace

bool FoundByScan(dev_t dev, ino_t ino) {
  const int proc = open("/proc", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (proc < 0) return false;
  const std::string self = std::to_string(getpid());
  const std::unique_ptr<char[]> processes(new char[kListing]), descriptors(new char[kListing]);
  const bool found = AnyNumericEntry(proc, processes.get(), [&](const char* pid) {
    if (self == pid) return false;
    const int procDir = openat(proc, pid, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (procDir < 0) return false;  // ended meanwhile
    const bool holds = ProcessHolds(procDir, dev, ino, nullptr, descriptors.get());
    close(procDir);
    return holds;
  });
  close(proc);
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
