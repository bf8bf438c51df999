#include "tools/common/tool_paths.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "tools/common/kit_messages.h"

#ifdef _WIN32
// windows.h first: the others build on it.
#include <windows.h>
//
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>
#endif

namespace tool_files {
namespace fs = std::filesystem;

fs::path FsPath(const std::string& utf8) {
  return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Path(const fs::path& path) {
  const std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

#ifdef _WIN32

std::string SystemReason() {
  const DWORD code = GetLastError();
  if (code == ERROR_SUCCESS) return std::strerror(errno);
  if (code == ERROR_DISK_FULL || code == ERROR_HANDLE_DISK_FULL) return kit_messages::kDiskFull;
  return std::system_category().message(static_cast<int>(code));
}

std::vector<std::string> ToolArguments(int, char**) {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> arguments;
  for (int i = 1; wide && i < count; ++i) arguments.push_back(Utf8Path(fs::path(wide[i])));
  LocalFree(wide);
  return arguments;
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  const std::wstring wideMode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(FsPath(utf8).c_str(), wideMode.c_str());
}

#else

std::string SystemReason() {
  return std::strerror(errno);
}

std::vector<std::string> ToolArguments(int argc, char** argv) {
  return std::vector<std::string>(argv + (argc > 0 ? 1 : 0), argv + argc);
}

std::FILE* OpenFile(const std::string& utf8, const char* mode) {
  return std::fopen(utf8.c_str(), mode);
}

#endif

}  // namespace tool_files
