// The running program's path, for platform/user_interface.cpp, while the
// Windows platform layer is not linked.
#include "platform/module_path.h"
#include "ui/win32/win32_api.h"

namespace platform {

std::string GetModuleFileNameA() {
  char path[MAX_PATH] = {};
  const DWORD length = ::GetModuleFileNameA(nullptr, path, MAX_PATH);
  return std::string(path, length);
}

}  // namespace platform
