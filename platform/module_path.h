// The full path of the running executable, as the kernel knows it.
#pragma once

#include <optional>
#include <string>

namespace platform {

std::string GetModuleFileNameA();

// Lets tests stand a program at another path; nullopt restores the real one.
void OverrideModuleFileName(std::optional<std::string> path);

}  // namespace platform
