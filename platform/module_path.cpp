#include "platform/module_path.h"

#include <unistd.h>

#include <utility>
#include <vector>

namespace platform {
namespace {
std::optional<std::string>& Override() {
  static std::optional<std::string> path;
  return path;
}
}  // namespace

std::string GetModuleFileNameA() {
  if (Override()) return *Override();
  std::vector<char> buffer(256);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return {};
    if (static_cast<size_t>(n) < buffer.size()) return std::string(buffer.data(), n);
    buffer.resize(buffer.size() * 2);
  }
}

void OverrideModuleFileName(std::optional<std::string> path) {
  Override() = std::move(path);
}

}  // namespace platform
