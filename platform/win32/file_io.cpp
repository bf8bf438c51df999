#include "platform/native.h"
#include "platform/win32/handle.h"

namespace platform::native {

namespace {

using win32::HandleOf;

OVERLAPPED At(int64_t offset) {
  OVERLAPPED at{};
  at.Offset = static_cast<DWORD>(offset);
  at.OffsetHigh = static_cast<DWORD>(offset >> 32);
  return at;
}

}  // namespace

HFILE OpenFile(const Path& path, int mode) {
  // The access and sharing of the classic modes: shared reading denies no
  // one, the exclusive open everyone.
  const bool exclusive = mode == OF_EXCLUSIVE_READWRITE;
  const HFILE file = win32::HFileOf(
      CreateFileW(path.c_str(), exclusive ? GENERIC_READ | GENERIC_WRITE : GENERIC_READ,
                  exclusive ? 0 : FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file == HFILE_ERROR) return HFILE_ERROR;
  // A folder, a device (NUL, CON, COM1 under any folder) or a pipe is no
  // E-Book. A read-only file is refused for writing on the attribute itself,
  // as Windows does, also where Wine runs as a privileged user.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(HandleOf(file)) != FILE_TYPE_DISK ||
      (exclusive && (!GetFileInformationByHandle(HandleOf(file), &info) ||
                     (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0))) {
    CloseHandle(HandleOf(file));
    return HFILE_ERROR;
  }
  return file;
}

HFILE CreateOrTruncate(const Path& path, unsigned /*permissions*/) {
  return win32::HFileOf(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
}

// The handles are synchronous: each call completes before it returns, at the
// offset given rather than at the handle's own position.
int32_t ReadAt(HFILE file, int64_t offset, void* buffer, uint32_t count) {
  auto* bytes = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    OVERLAPPED at = At(offset + total);
    DWORD n = 0;
    if (!ReadFile(HandleOf(file), bytes + total, count - total, &n, &at)) {
      if (GetLastError() == ERROR_HANDLE_EOF) break;
      return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    }
    if (n == 0) break;
    total += n;
  }
  return static_cast<int32_t>(total);
}

int32_t WriteAt(HFILE file, int64_t offset, const void* bytes, uint32_t count) {
  const auto* from = static_cast<const char*>(bytes);
  uint32_t total = 0;
  while (total < count) {
    OVERLAPPED at = At(offset + total);
    DWORD n = 0;
    if (!WriteFile(HandleOf(file), from + total, count - total, &n, &at) || n == 0) {
      return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    }
    total += n;
  }
  return static_cast<int32_t>(total);
}

int64_t FileSize(HFILE file) {
  LARGE_INTEGER size;
  return GetFileSizeEx(HandleOf(file), &size) ? size.QuadPart : -1;
}

bool SetFileSize(HFILE file, int64_t size) {
  LARGE_INTEGER target;
  target.QuadPart = size;
  return SetFilePointerEx(HandleOf(file), target, nullptr, FILE_BEGIN) &&
         SetEndOfFile(HandleOf(file));
}

bool CloseFile(HFILE file) {
  return CloseHandle(HandleOf(file));
}

}  // namespace platform::native
