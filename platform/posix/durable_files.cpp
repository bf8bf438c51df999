#include "platform/durable_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/io_faults.h"
#include "platform/open_files.h"

namespace platform {
namespace {

bool SyncDescriptor(int fd, int (*sync)(int) = fsync) {
  int result;
  do {
    result = sync(fd);
  } while (result != 0 && errno == EINTR);
  return result == 0;
}

}  // namespace

bool FlushFile(HFILE file) {
  // The handle's gathered writes were let through one by one already. The
  // data and the length must last, the times need not: without them, a file
  // rewritten in place costs no metadata commit.
  return open_files::WriteOut(file) && IoAllowed({IoOperation::Flush, file}) &&
         SyncDescriptor(file, fdatasync);
}

bool FlushFolder(const Path& folder) {
  if (!IoAllowed({IoOperation::Flush, HFILE_ERROR, folder})) return false;
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return false;
  // A file system that cannot sync folders says so with EINVAL; there is
  // nothing more to do for it.
  const bool flushed = SyncDescriptor(fd) || errno == EINVAL;
  close(fd);
  return flushed;
}

bool RemoveFile(const Path& path) {
  return IoAllowed({IoOperation::Remove, HFILE_ERROR, path}) && unlink(path.c_str()) == 0;
}

HFILE CreateNewFile(const Path& path) {
  if (!IoAllowed({IoOperation::Write, HFILE_ERROR, path})) return HFILE_ERROR;
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY, 0600);
  return open_files::Adopt(fd < 0 ? HFILE_ERROR : fd);
}

bool GetFileIdentity(HFILE file, FileIdentity& identity) {
  struct stat st;
  if (fstat(file, &st) != 0) return false;
  identity.device = static_cast<uint64_t>(st.st_dev);
  identity.inode = static_cast<uint64_t>(st.st_ino);
  return true;
}

}  // namespace platform
