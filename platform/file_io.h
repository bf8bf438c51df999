// File services with the contracts of the classic handle-based file API:
// open by path in one of two modes, seek, read, write, close. Positions are
// signed 32-bit; a seek whose result would not fit fails and leaves the
// position where it was. A handle reads ahead and gathers its writes; they
// are on the file before a seek, a read, a length change, a flush and the
// close, and a failure to put them there fails that call.
#pragma once

#include <cstdint>

#include "platform/file_handle.h"
#include "platform/path.h"

namespace platform {

// Read only, shared with every other opener. Fails on a missing or non-regular
// file (a folder, a FIFO, a device) and while another process holds the file
// in OF_EXCLUSIVE_READWRITE (on Windows, any handle that denies reading).
inline constexpr int OF_SHARED_READ = 64;
// Read and write, exclusive. Fails while any other process has the file open,
// mapped or running (on Windows, while any other handle, this process's too,
// has it open), and on a read-only file; keeps others out while held.
inline constexpr int OF_EXCLUSIVE_READWRITE = 18;

inline constexpr int FILE_BEGIN = 0;
inline constexpr int FILE_CURRENT = 1;
inline constexpr int FILE_END = 2;

HFILE _lopen(const Path& path, int mode);
// Returns the new absolute position, or HFILE_ERROR.
int32_t _llseek(HFILE file, int32_t offset, int origin);
// Return the number of bytes moved (short only at end of file or on error),
// or HFILE_ERROR when nothing could be moved.
int32_t _lread(HFILE file, void* buffer, uint32_t count);
int32_t _lwrite(HFILE file, const void* buffer, uint32_t count);
HFILE _lclose(HFILE file);

// Bytes from the position to the end of the file as the handle knows it (the
// length at open or at the last seek from the end, grown by its own writes),
// or -1 for no handle. Asks the system nothing.
int64_t BytesLeft(HFILE file);

// Cuts or extends an open file to the given length; the position stays.
// Returns false, changing nothing, when the length is negative or the
// truncation is refused.
bool SetFileLength(HFILE file, int32_t length);

// Creates or truncates a file for reading and writing; for the tools that
// build executables, never used on the E-Book. Windows has no permission bits:
// there the file is a normal one whatever `permissions` says.
HFILE _lcreat(const Path& path, unsigned permissions = 0644);

}  // namespace platform
