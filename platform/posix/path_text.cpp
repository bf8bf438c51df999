#include "platform/path.h"

namespace platform {

// The system takes a path as bytes: there is nothing to convert.
Path PathFromText(std::string_view text) {
  return Path(text);
}
std::string TextFromPath(const Path& path) {
  return path;
}
Path PathFromUtf8(std::string_view text) {
  return Path(text);
}
std::string Utf8FromPath(const Path& path) {
  return path;
}

}  // namespace platform
