// What each system's own part of this layer (posix/ or win32/) gives the
// shared part; nothing outside platform/ uses it.
#pragma once

#include <cstdint>
#include <string>

namespace platform::native {

// The running executable's full path from the system; empty if it cannot say.
std::string ExecutablePath();
// Blocks the calling thread.
void Sleep(uint32_t milliseconds);

}  // namespace platform::native
