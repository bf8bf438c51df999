#include "platform/file_owner.h"

#include "platform/open_files.h"
#include "platform/win32/handle.h"

// After <windows.h>, which handle.h brings.
#include <aclapi.h>

namespace platform {

using win32::HandleOf;

namespace {

// The owner of an open file; freed with LocalFree through `descriptor`.
PSID OwnerOf(HFILE file, PSECURITY_DESCRIPTOR& descriptor) {
  PSID owner = nullptr;
  descriptor = nullptr;
  if (GetSecurityInfo(HandleOf(file), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr,
                      nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return nullptr;
  }
  return owner;
}

bool IsRunningUser(PSID sid) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  alignas(TOKEN_USER) char buffer[sizeof(TOKEN_USER) + SECURITY_MAX_SID_SIZE];
  DWORD size = 0;
  const bool same = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size) &&
                    EqualSid(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, sid);
  CloseHandle(token);
  return same;
}

}  // namespace

PlainOpen OpenPlainFile(const Path& path, HFILE& file) {
  // The link or junction itself, should the name be one, not what it points at.
  const HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? PlainOpen::kMissing
                                                                          : PlainOpen::kRefused;
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (GetFileType(handle) != FILE_TYPE_DISK || !GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    CloseHandle(handle);
    return PlainOpen::kRefused;
  }
  file = open_files::Adopt(win32::HFileOf(handle));
  return PlainOpen::kOpened;
}

// The owner stands as on POSIX. There are no mode bits: who else may write a
// file is in its access list, which it inherits from its folder unless its
// maker chose otherwise; a folder that others may write to is the E-Book
// owner's choice, and is not checked here.
bool WritableOnlyByOwnerOf(HFILE file, HFILE reference) {
  PSECURITY_DESCRIPTOR fileDescriptor, referenceDescriptor;
  const PSID owner = OwnerOf(file, fileDescriptor);
  const PSID referenceOwner = OwnerOf(reference, referenceDescriptor);
  const bool trusted =
      owner && referenceOwner && (EqualSid(owner, referenceOwner) || IsRunningUser(owner));
  LocalFree(fileDescriptor);
  LocalFree(referenceDescriptor);
  return trusted;
}

}  // namespace platform
