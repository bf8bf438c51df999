#include "tools/mkrebrander/bare_check.h"

#include <algorithm>
#include <vector>

#include "formats/bare_signature.h"
#include "platform/file_io.h"
#include "platform/path.h"
#include "tools/common/tool_files.h"
#include "tools/common/tool_paths.h"
#include "tools/mkebook/ebook_package.h"
#include "tools/mkrebrander/mkrebrander_messages.h"

namespace stamping {

bool IsBareRebrander(const std::string& path, std::string& error) {
  using namespace platform;
  tool_files::ScopedFile in(_lopen(platform::PathFromUtf8(path), OF_SHARED_READ));
  if (in.file == HFILE_ERROR) {
    error = path + ": " + tool_files::SystemReason();
    return false;
  }
  packing::EBookPackage package;
  if (packing::ReadPackage(in.file, package) == packing::PackageStatus::kOk) {
    error = path + ": " + mkrebrander_messages::kEBookNotBare;
    return false;
  }
  const std::string mark = std::string(formats::kBareSignatureStart) + formats::kBareSignatureEnd;
  // Read in pieces that overlap by the mark's length, so a mark across two is seen.
  std::vector<char> buffer(1 << 20);
  size_t kept = 0;
  if (_llseek(in.file, 0, FILE_BEGIN) != 0) {
    error = path + ": " + tool_files::SystemReason();
    return false;
  }
  for (;;) {
    const int32_t count =
        _lread(in.file, buffer.data() + kept, static_cast<uint32_t>(buffer.size() - kept));
    if (count < 0) {
      error = path + ": " + tool_files::SystemReason();
      return false;
    }
    const auto end = buffer.begin() + static_cast<long>(kept + static_cast<size_t>(count));
    if (std::search(buffer.begin(), end, mark.begin(), mark.end()) != end) return true;
    if (count == 0) break;
    kept = std::min(mark.size(), kept + static_cast<size_t>(count));
    std::copy(end - static_cast<long>(kept), end, buffer.begin());
  }
  error = path + ": " + mkrebrander_messages::kNotBare;
  return false;
}

}  // namespace stamping
