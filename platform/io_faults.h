// A hook that tests use to make file operations fail, to stop the process, or
// to follow what a power cut could leave on the disk. Production code never
// installs one.
#pragma once

#include <atomic>
#include <functional>
#include <utility>

#include "platform/file_handle.h"
#include "platform/path.h"

namespace platform {

enum class IoOperation { Write, Flush, Truncate, Remove };

// A change as the hook sees it, before it happens. Beyond its kind, what it
// acts on where the caller knows: `file` for the flush of an open file, `path`
// for a name created (a Write) or removed and for the flush of a folder. Writes
// and truncations of an open file carry neither; what they change shows in the
// file itself.
struct IoChange {
  IoChange(IoOperation kind, HFILE changed = HFILE_ERROR, Path name = {})
      : operation(kind), file(changed), path(std::move(name)) {}

  IoOperation operation;
  HFILE file;
  Path path;

  // A hook that cares only for the kind takes an IoOperation.
  operator IoOperation() const { return operation; }
};

// Returns false to make the change fail without touching anything.
using IoFaultHook = std::function<bool(const IoChange&)>;

void SetIoFaultHook(IoFaultHook hook);

namespace io_faults {
// Every write of a file asks: without a hook, that costs one load.
extern std::atomic<bool> g_hooked;
bool AskHook(const IoChange& change);
}  // namespace io_faults

// True when the change may go ahead.
inline bool IoAllowed(const IoChange& change) {
  return !io_faults::g_hooked.load(std::memory_order_acquire) || io_faults::AskHook(change);
}
// No change described unless someone listens.
inline bool IoAllowed(IoOperation operation) {
  return !io_faults::g_hooked.load(std::memory_order_acquire) ||
         io_faults::AskHook(IoChange{operation});
}

}  // namespace platform
