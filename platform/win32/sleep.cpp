#include "platform/native.h"
#include "platform/win32/handle.h"

namespace platform::native {

void Sleep(uint32_t milliseconds) {
  ::Sleep(milliseconds);
}

}  // namespace platform::native
