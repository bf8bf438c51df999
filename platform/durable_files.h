// What a change that must survive a crash or a power loss needs beyond the
// classic file services: flushing a file or a folder to the device, creating a
// file that must not exist yet, removing one, and telling which file an open
// handle is. Each change goes through the io fault hook first.
#pragma once

#include <cstdint>

#include "platform/file_handle.h"
#include "platform/path.h"

namespace platform {

// Writes the open file's data and length through to the device.
// IoOperation::Flush.
bool FlushFile(HFILE file);
// Writes the folder's entries through to the device, so that a file created in
// it or removed from it stays so after a power loss. IoOperation::Flush.
bool FlushFolder(const Path& folder);
// Removes the name. IoOperation::Remove.
bool RemoveFile(const Path& path);
// Creates a new file for writing, readable and writable by its owner only (on
// Windows, with the folder's inherited access rights). Fails when anything, a
// link or a device included, already has the name.
// IoOperation::Write.
HFILE CreateNewFile(const Path& path);

// The file itself rather than its name: the same pair means the same file.
struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;
};
bool GetFileIdentity(HFILE file, FileIdentity& identity);

}  // namespace platform
