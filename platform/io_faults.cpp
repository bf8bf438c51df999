#include "platform/io_faults.h"

#include <utility>

namespace platform {
namespace {
IoFaultHook& Hook() {
  static IoFaultHook hook;
  return hook;
}
}  // namespace

void SetIoFaultHook(IoFaultHook hook) {
  Hook() = std::move(hook);
}

bool IoAllowed(IoOperation operation) {
  return !Hook() || Hook()(operation);
}

}  // namespace platform
