#include <chrono>
#include <thread>

#include "platform/native.h"

namespace platform::native {

void Sleep(uint32_t milliseconds) {
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

}  // namespace platform::native
