// Starts a program by its path, detached: no shell, no arguments, no waiting.
#pragma once

#include <cstdint>

#include "platform/path.h"

namespace platform {

// Result values below 32 say why a start failed.
inline constexpr uint32_t kStartOutOfResources = 0;
inline constexpr uint32_t kStartFileNotFound = 2;
inline constexpr uint32_t kStartPathNotFound = 3;
inline constexpr uint32_t kStartAccessDenied = 5;
inline constexpr uint32_t kStartBadFormat = 11;
inline constexpr uint32_t kStartFailed = 31;
inline constexpr uint32_t kStartSucceeded = 33;

// Runs the executable at `path` as a process of its own that inherits no
// descriptor or handle (on POSIX, standard input, output and error excepted),
// and is never waited for. The path is the program itself, never parsed as a
// command line. The show command goes to the program's first window on
// Windows; on POSIX the window manager decides.
uint32_t WinExec(const Path& path, int showCommand);

}  // namespace platform
