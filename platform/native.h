// What each system's own part of this layer (posix/ or win32/) gives the
// shared part; nothing outside platform/ uses it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_handle.h"
#include "platform/path.h"

namespace platform::native {

// The running executable's full path from the system; empty if it cannot say.
Path ExecutablePath();
// Blocks the calling thread.
void Sleep(uint32_t milliseconds);

// Files by the system's own handle, at explicit offsets: the shared part keeps
// the position. Opens with every check of the mode (`_lopen`) or creates
// (`_lcreat`); HFILE_ERROR on failure.
HFILE OpenFile(const Path& path, int mode);
HFILE CreateOrTruncate(const Path& path, unsigned permissions);
// Bytes moved (short only at the end of the file or on an error), or -1 when
// an error moved nothing.
int32_t ReadAt(HFILE file, int64_t offset, void* buffer, uint32_t count);
int32_t WriteAt(HFILE file, int64_t offset, const void* bytes, uint32_t count);
// The file's length now, or -1.
int64_t FileSize(HFILE file);
bool SetFileSize(HFILE file, int64_t size);
bool CloseFile(HFILE file);

}  // namespace platform::native
