// The whole mark of formats/bare_signature.h, in the program's data.
#include "formats/bare_signature.h"

namespace formats {

extern const char kBareSignature[];
[[gnu::used]] const char kBareSignature[] = "rebrander bare program, stamp me: 5c1e0b7a-93d4";

static_assert(sizeof kBareSignature == sizeof kBareSignatureStart + sizeof kBareSignatureEnd - 1);

}  // namespace formats
