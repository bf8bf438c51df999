#include "platform/file_io.h"

#include <limits>

#include "platform/io_faults.h"
#include "platform/win32/handle.h"

namespace platform {

namespace {

using win32::HandleOf;

constexpr LONGLONG kMaxPosition = std::numeric_limits<int32_t>::max();

bool Position(HFILE file, LONGLONG& position) {
  LARGE_INTEGER current;
  if (!SetFilePointerEx(HandleOf(file), LARGE_INTEGER{}, &current, FILE_CURRENT)) return false;
  position = current.QuadPart;
  return true;
}

bool MoveTo(HFILE file, LONGLONG position) {
  LARGE_INTEGER target;
  target.QuadPart = position;
  return SetFilePointerEx(HandleOf(file), target, nullptr, FILE_BEGIN);
}

}  // namespace

HFILE _lopen(const std::string& path, int mode) {
  if (mode != OF_SHARED_READ && mode != OF_EXCLUSIVE_READWRITE) return HFILE_ERROR;
  const HFILE file = ::_lopen(path.c_str(), mode);
  if (file == HFILE_ERROR) return HFILE_ERROR;
  // A folder, a device (NUL, CON, COM1 under any folder) or a pipe is no
  // E-Book. A read-only file is refused for writing on the attribute itself,
  // as Windows does, also where Wine runs as a privileged user.
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(HandleOf(file)) != FILE_TYPE_DISK ||
      (mode == OF_EXCLUSIVE_READWRITE &&
       (!GetFileInformationByHandle(HandleOf(file), &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_READONLY) != 0))) {
    ::_lclose(file);
    return HFILE_ERROR;
  }
  return file;
}

int32_t _llseek(HFILE file, int32_t offset, int origin) {
  LONGLONG base = 0;
  if (origin == FILE_CURRENT) {
    if (!Position(file, base)) return HFILE_ERROR;
  } else if (origin == FILE_END) {
    LARGE_INTEGER size;
    if (!GetFileSizeEx(HandleOf(file), &size)) return HFILE_ERROR;
    base = size.QuadPart;
  } else if (origin != FILE_BEGIN) {
    return HFILE_ERROR;
  }
  const LONGLONG target = base + offset;
  if (target < 0 || target > kMaxPosition) return HFILE_ERROR;
  const LONG moved = ::_llseek(file, static_cast<LONG>(target), FILE_BEGIN);
  return moved == target ? moved : HFILE_ERROR;
}

int32_t _lread(HFILE file, void* buffer, uint32_t count) {
  if (count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  const UINT n = ::_lread(file, buffer, count);
  return n == static_cast<UINT>(HFILE_ERROR) ? HFILE_ERROR : static_cast<int32_t>(n);
}

int32_t _lwrite(HFILE file, const void* buffer, uint32_t count) {
  if (count > static_cast<uint32_t>(kMaxPosition)) return HFILE_ERROR;
  if (!IoAllowed(IoOperation::Write)) return HFILE_ERROR;
  // A write of nothing would cut the file at the position.
  if (count == 0) return 0;
  const UINT n = ::_lwrite(file, static_cast<LPCCH>(buffer), count);
  return n == static_cast<UINT>(HFILE_ERROR) ? HFILE_ERROR : static_cast<int32_t>(n);
}

bool SetFileLength(HFILE file, int32_t length) {
  if (length < 0 || !IoAllowed(IoOperation::Truncate)) return false;
  LONGLONG position = 0;
  if (!Position(file, position)) return false;
  const bool set = MoveTo(file, length) && SetEndOfFile(HandleOf(file));
  return MoveTo(file, position) && set;
}

HFILE _lclose(HFILE file) {
  return ::_lclose(file) == 0 ? 0 : HFILE_ERROR;
}

HFILE _lcreat(const std::string& path, unsigned /*permissions*/) {
  return ::_lcreat(path.c_str(), 0);
}

}  // namespace platform
