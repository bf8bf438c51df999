// Who can have written a file: for files that are trusted only when they
// could have come from the one who may write another.
#pragma once

#include "platform/file_handle.h"
#include "platform/path.h"

namespace platform {

enum class PlainOpen { kOpened, kMissing, kRefused };

// Opens an existing file for reading by its own name, never through a
// symbolic link or reparse point, and only when it is a regular file. kRefused
// when something else has the name or it cannot be read.
PlainOpen OpenPlainFile(const Path& path, HFILE& file);

// True when only the owner of `reference` or the running user can have
// written `file`: one of them owns it, and no one else may write to it.
bool WritableOnlyByOwnerOf(HFILE file, HFILE reference);

}  // namespace platform
