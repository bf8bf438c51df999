// The handles of the file services and what waits in them: each open file
// reads ahead and gathers its writes (see buffered_file.h). For the system
// parts of this layer; nothing outside platform/ uses it.
#pragma once

#include "platform/file_handle.h"

namespace platform::open_files {

// Takes over a handle the system just opened, positioned at 0. Passes
// HFILE_ERROR through.
HFILE Adopt(HFILE file);
// Puts the writes still waiting in the handle on the file. False when that
// fails now or failed before: written bytes were lost.
bool WriteOut(HFILE file);

}  // namespace platform::open_files
