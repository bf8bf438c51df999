// A hook that tests use to make file operations fail (or to stop the process)
// at a chosen point. Production code never installs one.
#pragma once

#include <functional>

namespace platform {

enum class IoOperation { Write, Flush, Truncate, Remove };

// The hook sees every operation that changes a file, before it happens, and
// returns false to make it fail without touching anything.
using IoFaultHook = std::function<bool(IoOperation)>;

void SetIoFaultHook(IoFaultHook hook);
// True when the operation may go ahead.
bool IoAllowed(IoOperation operation);

}  // namespace platform
