#include "tools/common/tool_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

namespace tool_files {

bool CopyBytes(platform::HFILE from, platform::HFILE to, int64_t count) {
  std::vector<char> buffer(1 << 16);
  while (count > 0) {
    const auto chunk = static_cast<uint32_t>(std::min<int64_t>(count, buffer.size()));
    if (platform::_lread(from, buffer.data(), chunk) != static_cast<int32_t>(chunk)) return false;
    if (platform::_lwrite(to, buffer.data(), chunk) != static_cast<int32_t>(chunk)) return false;
    count -= chunk;
  }
  return true;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error = path + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  char buffer[1 << 16];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const int reason = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (reason != 0) error = path + ": " + std::strerror(reason);
  return reason == 0;
}

}  // namespace tool_files
