#include <vector>

#include "platform/native.h"
#include "platform/win32/handle.h"

namespace platform::native {

Path ExecutablePath() {
  // Grown until the path fits: a long path must not come back cut.
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return {};
    if (n < buffer.size()) return Path(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace platform::native
