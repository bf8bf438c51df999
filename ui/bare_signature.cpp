// The whole mark of formats/bare_signature.h, in the program's data.
#include "formats/bare_signature.h"

namespace formats {

// Nothing reads it, so a link that drops unused data would drop it too: the
// plain C name lets the link name it as a root (ui/CMakeLists.txt).
extern "C" const char rebrander_bare_signature[];
[[gnu::used]] const char rebrander_bare_signature[] =
    "rebrander bare program, stamp me: 5c1e0b7a-93d4";

static_assert(sizeof rebrander_bare_signature ==
              sizeof kBareSignatureStart + sizeof kBareSignatureEnd - 1);

}  // namespace formats
