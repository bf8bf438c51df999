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

bool IoAllowed(const IoChange& change) {
  return !Hook() || Hook()(change);
}

bool IoAllowed(IoOperation operation) {
  // No change described unless someone listens: every write of a file asks.
  return !Hook() || Hook()(IoChange{operation});
}

}  // namespace platform
