#include "platform/file_owner.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/open_files.h"

namespace platform {

PlainOpen OpenPlainFile(const Path& path, HFILE& file) {
  // Non-blocking so that a FIFO under the name cannot hang the open.
  const int fd = open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
  if (fd < 0) return errno == ENOENT ? PlainOpen::kMissing : PlainOpen::kRefused;
  struct stat st;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
    close(fd);
    return PlainOpen::kRefused;
  }
  file = open_files::Adopt(fd);
  return PlainOpen::kOpened;
}

bool WritableOnlyByOwnerOf(HFILE file, HFILE reference) {
  struct stat st, ref;
  if (fstat(file, &st) != 0 || fstat(reference, &ref) != 0) return false;
  return (st.st_uid == ref.st_uid || st.st_uid == geteuid()) &&
         (st.st_mode & (S_IWGRP | S_IWOTH)) == 0;
}

}  // namespace platform
