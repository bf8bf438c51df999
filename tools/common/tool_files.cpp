#include "tools/common/tool_files.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "tools/common/kit_messages.h"
#include "tools/common/output_file.h"
#include "tools/common/tool_paths.h"

namespace tool_files {

CopyResult CopyBytes(platform::HFILE from, platform::HFILE to, int64_t count) {
  std::vector<char> buffer(1 << 16);
  while (count > 0) {
    const auto chunk = static_cast<uint32_t>(std::min<int64_t>(count, buffer.size()));
    if (platform::_lread(from, buffer.data(), chunk) != static_cast<int32_t>(chunk)) {
      return CopyResult::kReadFailed;
    }
    if (platform::_lwrite(to, buffer.data(), chunk) != static_cast<int32_t>(chunk)) {
      return CopyResult::kWriteFailed;
    }
    count -= chunk;
  }
  return CopyResult::kOk;
}

bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error) {
  const bool standard = path == "-";
  const std::string name = standard ? kit_messages::kStandardInput : path;
  std::FILE* file = standard ? stdin : OpenFile(path, "rb");
  if (!file) {
    error = name + ": " + std::strerror(errno);
    return false;
  }
  bytes.clear();
  char buffer[1 << 16];
  size_t count = 0;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const int reason = std::ferror(file) ? errno : 0;
  if (!standard) std::fclose(file);
  if (reason != 0) error = name + ": " + std::strerror(reason);
  return reason == 0;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
  if (path == "-") {
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() &&
                         std::fflush(stdout) == 0;
    if (!written) error = std::string(kit_messages::kStandardOutput) + ": " + std::strerror(errno);
    return written;
  }
  OutputFile out;
  if (!out.Open(path, "", error)) return false;
  if (platform::_lwrite(out.Handle(), bytes.data(), static_cast<uint32_t>(bytes.size())) !=
      static_cast<int32_t>(bytes.size())) {
    error = out.WriteFailure();
    return false;
  }
  return out.Commit(error);
}

}  // namespace tool_files
