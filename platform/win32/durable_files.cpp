#include "platform/durable_files.h"

#include "platform/io_faults.h"
#include "platform/open_files.h"
#include "platform/win32/handle.h"

namespace platform {

using win32::HandleOf;

bool FlushFile(HFILE file) {
  // The handle's gathered writes were let through one by one already.
  return open_files::WriteOut(file) && IoAllowed({IoOperation::Flush, file}) &&
         FlushFileBuffers(HandleOf(file));
}

bool FlushFolder(const Path& folder) {
  if (!IoAllowed({IoOperation::Flush, HFILE_ERROR, folder})) return false;
  // Windows cannot flush a folder, and need not: NTFS logs every change of a
  // folder in its journal and writes that journal in order. FlushFileBuffers
  // on a new file writes the journal up to the file's creation before it
  // returns, so the file's name is on disk before the E-Book's first byte
  // changes. A removal reaches the disk with the next journal write; lost to
  // a power cut, it leaves the journal behind, and the next start rolls back a
  // store that had finished: the E-Book is whole either way. What stays is to
  // see that the folder is there.
  const DWORD attributes = GetFileAttributesW(folder.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool RemoveFile(const Path& path) {
  return IoAllowed({IoOperation::Remove, HFILE_ERROR, path}) && DeleteFileW(path.c_str());
}

HFILE CreateNewFile(const Path& path) {
  if (!IoAllowed({IoOperation::Write, HFILE_ERROR, path})) return HFILE_ERROR;
  const HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return HFILE_ERROR;
  // A device name (NUL, CON, ...) "creates" the device, which always exists.
  if (GetFileType(file) != FILE_TYPE_DISK) {
    CloseHandle(file);
    return HFILE_ERROR;
  }
  return open_files::Adopt(win32::HFileOf(file));
}

bool GetFileIdentity(HFILE file, FileIdentity& identity) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(HandleOf(file), &info)) return false;
  identity.device = info.dwVolumeSerialNumber;
  identity.inode = (uint64_t{info.nFileIndexHigh} << 32) | info.nFileIndexLow;
  return true;
}

}  // namespace platform
