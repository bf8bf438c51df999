// Blocking sleep through a replaceable sleeper, so tests need not wait.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using Sleeper = std::function<void(uint32_t milliseconds)>;

void Sleep(uint32_t milliseconds);
// An empty sleeper restores the real one.
void SetSleeper(Sleeper sleeper);

}  // namespace platform
