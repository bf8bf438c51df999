// <windows.h> for the Win32 implementations, and the HFILE of the classic file
// API, which is the file's HANDLE as an int.
#pragma once

#include "platform/file_io.h"

namespace platform::win32 {
// Ours, before <windows.h> makes these names macros of its own.
inline constexpr int kFileBegin = FILE_BEGIN;
inline constexpr int kFileCurrent = FILE_CURRENT;
inline constexpr int kFileEnd = FILE_END;
inline constexpr HFILE kHFileError = HFILE_ERROR;
}  // namespace platform::win32

// Only after every platform header, for the same reason.
#include <windows.h>

namespace platform::win32 {

static_assert(kFileBegin == FILE_BEGIN && kFileCurrent == FILE_CURRENT && kFileEnd == FILE_END);
static_assert(kHFileError == HFILE_ERROR);
static_assert(OF_SHARED_READ == (OF_READ | OF_SHARE_DENY_NONE));
static_assert(OF_EXCLUSIVE_READWRITE == (OF_READWRITE | OF_SHARE_EXCLUSIVE));

inline HANDLE HandleOf(HFILE file) {
  return LongToHandle(file);
}

inline HFILE HFileOf(HANDLE handle) {
  return handle == INVALID_HANDLE_VALUE ? HFILE_ERROR : HandleToLong(handle);
}

}  // namespace platform::win32
