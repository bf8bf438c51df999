#include "platform/sleep.h"

#include <chrono>
#include <thread>
#include <utility>

namespace platform {
namespace {
Sleeper& Current() {
  static Sleeper sleeper;
  return sleeper;
}
}  // namespace

void Sleep(uint32_t milliseconds) {
  if (Current()) {
    Current()(milliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }
}

void SetSleeper(Sleeper sleeper) {
  Current() = std::move(sleeper);
}

}  // namespace platform
