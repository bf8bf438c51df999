#include "platform/sleep.h"

#include <utility>

#include "platform/native.h"

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
    native::Sleep(milliseconds);
  }
}

void SetSleeper(Sleeper sleeper) {
  Current() = std::move(sleeper);
}

}  // namespace platform
