// A ready bundle: a folder holding the E-Book and a rebrander stamped for it,
// and an archive of that folder for shipping.
#pragma once

#include <string>

#include "tools/mkrebrander/stamp_fields.h"

namespace stamping {

// Lays out `folder` with a copy of `ebook` under its own name and `bare`
// stamped as "rebrander" (".exe" added for Windows), then archives it beside
// itself: folder.zip for Windows, folder.tar.gz otherwise. Neither may exist
// yet. On failure returns false with a one-line reason in `error` and leaves
// neither behind.
bool MakeBundle(const std::string& ebook, const std::string& bare, const Stamp& stamp,
                const std::string& folder, bool windows, std::string& error);

}  // namespace stamping
