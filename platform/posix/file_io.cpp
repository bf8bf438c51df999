#include "platform/file_io.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/native.h"
#include "platform/posix/open_elsewhere.h"

namespace platform::native {
namespace {

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

HFILE OpenFile(const Path& path, int mode) {
  const bool exclusive = mode == OF_EXCLUSIVE_READWRITE;
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
  if (exclusive && (!HasWritePermission(st) || posix::OpenElsewhere(fd, st))) return Fail(fd);
  return fd;
}

HFILE CreateOrTruncate(const Path& path, unsigned permissions) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOCTTY, permissions);
  return fd < 0 ? HFILE_ERROR : fd;
}

int32_t ReadAt(HFILE file, int64_t offset, void* buffer, uint32_t count) {
  auto* bytes = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    const ssize_t n = pread(file, bytes + total, count - total, offset + total);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    if (n == 0) break;
    total += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(total);
}

int32_t WriteAt(HFILE file, int64_t offset, const void* bytes, uint32_t count) {
  const auto* from = static_cast<const char*>(bytes);
  uint32_t total = 0;
  while (total < count) {
    const ssize_t n = pwrite(file, from + total, count - total, offset + total);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    total += static_cast<uint32_t>(n);
  }
  return static_cast<int32_t>(total);
}

int64_t FileSize(HFILE file) {
  struct stat st;
  return fstat(file, &st) == 0 ? st.st_size : -1;
}

bool SetFileSize(HFILE file, int64_t size) {
  int result;
  do {
    result = ftruncate(file, size);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

bool CloseFile(HFILE file) {
  return close(file) == 0;
}

}  // namespace platform::native
