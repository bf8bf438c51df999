// The full path of the running executable, as the system knows it.
#pragma once

#include <optional>

#include "platform/path.h"

namespace platform {

Path ModuleFileName();

// Lets tests stand a program at another path; nullopt restores the real one.
void OverrideModuleFileName(std::optional<Path> path);

}  // namespace platform
