// The full path of the running executable, as the system knows it, and the
// character that separates a folder from the name after it in such a path.
#pragma once

#include <optional>
#include <string>

namespace platform {

#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

std::string GetModuleFileNameA();

// Lets tests stand a program at another path; nullopt restores the real one.
void OverrideModuleFileName(std::optional<std::string> path);

}  // namespace platform
