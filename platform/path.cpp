#include "platform/path.h"

namespace platform {

size_t LastSeparator(const Path& path) {
#ifdef _WIN32
  return path.find_last_of(L"\\/");
#else
  return path.find_last_of(kPathSeparator);
#endif
}

}  // namespace platform
