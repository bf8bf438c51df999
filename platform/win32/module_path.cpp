#include <vector>

#include "platform/native.h"
#include "platform/win32/handle.h"

namespace platform::native {

std::string ExecutablePath() {
  // Grown until the path fits: a long path must not come back cut.
  std::vector<char> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform::native
