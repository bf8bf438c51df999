#include "platform/module_path.h"

#include <utility>

#include "platform/native.h"

namespace platform {
namespace {
std::optional<Path>& Override() {
  static std::optional<Path> path;
  return path;
}
}  // namespace

Path ModuleFileName() {
  return Override() ? *Override() : native::ExecutablePath();
}

void OverrideModuleFileName(std::optional<Path> path) {
  Override() = std::move(path);
}

}  // namespace platform
