#include "platform/io_faults.h"

#include <utility>

namespace platform {
namespace {
IoFaultHook& Hook() {
  static IoFaultHook hook;
  return hook;
}
}  // namespace

namespace io_faults {
constinit std::atomic<bool> g_hooked{false};

bool AskHook(const IoChange& change) {
  return !Hook() || Hook()(change);
}
}  // namespace io_faults

void SetIoFaultHook(IoFaultHook hook) {
  io_faults::g_hooked.store(static_cast<bool>(hook), std::memory_order_release);
  Hook() = std::move(hook);
}

}  // namespace platform
