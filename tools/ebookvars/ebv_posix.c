/* Opening and holding the E-Book on Linux and other POSIX systems. */
#define _DEFAULT_SOURCE 1

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "tools/ebookvars/ebv_book.h"

static int read_at(void* source, int64_t offset, void* buffer, size_t size) {
  const int fd = *(const int*)source;
  char* bytes = (char*)buffer;
  size_t done = 0;
  while (done < size) {
    const ssize_t got = pread(fd, bytes + done, size - done, (off_t)(offset + (int64_t)done));
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return 0;
    done += (size_t)got;
  }
  return 1;
}

ebv_error ebv_open(const char* path, ebv_book** book) {
  struct stat st;
  ebv_book* opened;
  ebv_error error;
  int fd;
  if (!book) return EBV_ERROR_ARGUMENT;
  *book = NULL;
  if (!path) return EBV_ERROR_ARGUMENT;
  /* Non-blocking so that a FIFO under the name cannot hang the open; anything
     but a plain file is refused below. */
  fd = open(path, O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK);
  if (fd < 0) return EBV_ERROR_OPEN;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
    close(fd);
    return EBV_ERROR_OPEN;
  }
  /* The shared lock is what a rebrander's exclusive open runs into. Not
     waited for: the exclusive lock is held only while a table is written. */
  if (flock(fd, LOCK_SH | LOCK_NB) != 0) {
    const int refused = errno == EWOULDBLOCK;
    close(fd);
    return refused ? EBV_ERROR_IN_USE : EBV_ERROR_OPEN;
  }
  opened = (ebv_book*)calloc(1, sizeof *opened);
  if (!opened) {
    close(fd);
    return EBV_ERROR_NO_MEMORY;
  }
  opened->file = fd;
  error = ebv_load(opened, (int64_t)st.st_size, read_at, &fd);
  if (error != EBV_OK) {
    ebv_close(opened);
    return error;
  }
  *book = opened;
  return EBV_OK;
}

ebv_error ebv_open_self(ebv_book** book) {
  /* The kernel's link to the running executable: right from any folder, after
     a rename, and without reading the link's text. */
  return ebv_open("/proc/self/exe", book);
}

void ebv_close(ebv_book* book) {
  if (!book) return;
  ebv_unload(book);
  close((int)book->file);
  free(book);
}
