#include "platform/program_start.h"

#include "platform/win32/handle.h"

namespace platform {
namespace {

uint32_t ReasonFor(DWORD error) {
  switch (error) {
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
    case ERROR_NO_SYSTEM_RESOURCES:
      return kStartOutOfResources;
    case ERROR_FILE_NOT_FOUND:
      return kStartFileNotFound;
    case ERROR_PATH_NOT_FOUND:
      return kStartPathNotFound;
    case ERROR_ACCESS_DENIED:
      return kStartAccessDenied;
    case ERROR_BAD_FORMAT:
    case ERROR_BAD_EXE_FORMAT:
    case ERROR_INVALID_EXE_SIGNATURE:
    case ERROR_EXE_MARKED_INVALID:
    case ERROR_EXE_MACHINE_TYPE_MISMATCH:
      return kStartBadFormat;
    default:
      return kStartFailed;
  }
}

}  // namespace

uint32_t WinExec(const Path& path, int showCommand) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(showCommand);
  // The path names the program; the command line only repeats it, quoted, so
  // that the program sees it as one argument whatever blanks it holds.
  Path commandLine = L"\"" + path + L"\"";
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(path.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    return ReasonFor(GetLastError());
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return kStartSucceeded;
}

}  // namespace platform
