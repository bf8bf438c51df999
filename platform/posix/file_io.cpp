#include "platform/file_io.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "platform/io_faults.h"

namespace platform {
namespace {

constexpr off_t kMaxPosition = std::numeric_limits<int32_t>::max();

bool IsDecimal(const char* text) {
  if (*text == '\0') return false;
  for (; *text; ++text) {
    if (*text < '0' || *text > '9') return false;
  }
  return true;
}

bool SameFile(const struct stat& a, dev_t dev, ino_t ino) {
  return a.st_dev == dev && a.st_ino == ino;
}

bool HoldsDescriptorTo(const std::string& procDir, dev_t dev, ino_t ino) {
  const std::string fdDir = procDir + "/fd";
  DIR* dir = opendir(fdDir.c_str());
  if (!dir) return false;
  bool found = false;
  while (const dirent* entry = readdir(dir)) {
    if (!IsDecimal(entry->d_name)) continue;
    struct stat st;
    if (stat((fdDir + "/" + entry->d_name).c_str(), &st) == 0 && SameFile(st, dev, ino)) {
      found = true;
      break;
    }
  }
  closedir(dir);
  return found;
}

bool MapsFile(const std::string& procDir, dev_t dev, ino_t ino) {
  FILE* maps = std::fopen((procDir + "/maps").c_str(), "re");
  if (!maps) return false;
  bool found = false;
  char line[4096];
  while (!found && std::fgets(line, sizeof line, maps)) {
    unsigned major = 0, minor = 0;
    unsigned long long inode = 0;
    if (std::sscanf(line, "%*s %*s %*s %x:%x %llu", &major, &minor, &inode) == 3) {
      found = inode == ino && makedev(major, minor) == dev;
    }
  }
  std::fclose(maps);
  return found;
}

// Another process holds the file open, has it mapped, or runs it.
bool OpenedByAnotherProcess(dev_t dev, ino_t ino) {
  DIR* proc = opendir("/proc");
  if (!proc) return false;
  const std::string self = std::to_string(getpid());
  bool found = false;
  while (!found) {
    const dirent* entry = readdir(proc);
    if (!entry) break;
    if (!IsDecimal(entry->d_name) || self == entry->d_name) continue;
    const std::string procDir = std::string("/proc/") + entry->d_name;
    found = HoldsDescriptorTo(procDir, dev, ino) || MapsFile(procDir, dev, ino);
  }
  closedir(proc);
  return found;
}

bool HasWritePermission(const struct stat& st) {
  // Checked on the bits themselves: a privileged user could otherwise write a
  // file its owner marked read-only.
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) != 0;
}

HFILE Fail(int fd) {
  close(fd);
  return HFILE_ERROR;
}

}  // namespace

HFILE _lopen(const std::string& path, int mode) {
  const bool exclusive = mode == OF_EXCLUSIVE_READWRITE;
  if (!exclusive && mode != OF_SHARED_READ) return HFILE_ERROR;
  // Non-blocking so that a FIFO or device under the name cannot hang the open;
  // regular files are unaffected, and anything else is refused below.
  const int fd =
      open(path.c_str(), (exclusive ? O_RDWR : O_RDONLY) | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return HFILE_ERROR;
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return Fail(fd);
  const int flags = fcntl(fd, F_GETFL);
  if (flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) return Fail(fd);
  if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) return Fail(fd);
  if (exclusive && (!HasWritePermission(st) || OpenedByAnotherProcess(st.st_dev, st.st_ino))) {
    return Fail(fd);
  }
  return fd;
}

int32_t _llseek(HFILE file, int32_t offset, int origin) {
  off_t base = 0;
  if (origin == FILE_CURRENT) {
    base = lseek(file, 0, SEEK_CUR);
  } else if (origin == FILE_END) {
    struct stat st;
    base = fstat(file, &st) == 0 ? st.st_size : -1;
  } else if (origin != FILE_BEGIN) {
    return HFILE_ERROR;
  }
  if (base < 0) return HFILE_ERROR;
  const off_t target = base + offset;
  if (target < 0 || target > kMaxPosition) return HFILE_ERROR;
  if (lseek(file, target, SEEK_SET) != target) return HFILE_ERROR;
  return static_cast<int32_t>(target);
}

int32_t _lread(HFILE file, void* buffer, uint32_t count) {
  if (count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  auto* bytes = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    const ssize_t n = read(file, bytes + total, count - total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(total);
}

int32_t _lwrite(HFILE file, const void* buffer, uint32_t count) {
  if (count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  if (!IoAllowed(IoOperation::Write)) return HFILE_ERROR;
  const auto* bytes = static_cast<const char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    const ssize_t n = write(file, bytes + total, count - total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    total += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(total);
}

bool SetFileLength(HFILE file, int32_t length) {
  if (length < 0 || !IoAllowed(IoOperation::Truncate)) return false;
  int result;
  do {
    result = ftruncate(file, length);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

HFILE _lclose(HFILE file) {
  return close(file) == 0 ? 0 : HFILE_ERROR;
}

HFILE _lcreat(const std::string& path, unsigned permissions) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, permissions);
  return fd < 0 ? HFILE_ERROR : fd;
}

}  // namespace platform
