#include "platform/module_path.h"

#include <utility>

#include "platform/native.h"

namespace platform {
namespace {
std::optional<std::string>& Override() {
  static std::optional<std::string> path;
  return path;
}
}  // namespace

std::string GetModuleFileNameA() {
  return Override() ? *Override() : native::ExecutablePath();
}

void OverrideModuleFileName(std::optional<std::string> path) {
  Override() = std::move(path);
}

}  // namespace platform
