#include "platform/path.h"
#include "platform/win32/handle.h"

namespace platform {
namespace {

Path Widen(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  Path wide(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text.data(), size, wide.data(), n);
  return wide;
}

std::string Narrow(UINT codePage, const Path& path) {
  if (path.empty()) return {};
  const int size = static_cast<int>(path.size());
  const int n = WideCharToMultiByte(codePage, 0, path.data(), size, nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0) WideCharToMultiByte(codePage, 0, path.data(), size, text.data(), n, nullptr, nullptr);
  return text;
}

}  // namespace

Path PathFromText(std::string_view text) {
  return Widen(CP_ACP, text);
}
std::string TextFromPath(const Path& path) {
  return Narrow(CP_ACP, path);
}
Path PathFromUtf8(std::string_view text) {
  return Widen(CP_UTF8, text);
}
std::string Utf8FromPath(const Path& path) {
  return Narrow(CP_UTF8, path);
}

}  // namespace platform
