#include "tools/common/tool_files.h"

#include <algorithm>
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

}  // namespace tool_files
