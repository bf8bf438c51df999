// Whether a process other than this one has a file open, mapped or running:
// what keeps the exclusive open out where locks are only advisory.
#pragma once

#include <sys/stat.h>

namespace platform::posix {

// `fd` is this process's descriptor of the file, open for reading and writing,
// and `st` its status.
bool OpenElsewhere(int fd, const struct stat& st);

// The slow answer, for where the kernel gives no quick one: walks every other
// process's descriptors and mappings.
bool FoundByScan(dev_t device, ino_t inode);

}  // namespace platform::posix
