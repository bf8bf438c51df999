#include "tools/common/bare_rebrander.h"

#include <filesystem>

#include "platform/module_path.h"

namespace tool_files {

std::string FindBareRebrander(const std::string& name) {
  namespace fs = std::filesystem;
  const fs::path tools = fs::path(platform::ModuleFileName()).parent_path();
  // Relative to the tool, so that a staged or moved installation works too.
  for (const char* folder : {REBRANDER_INSTALLED_BARE_DIR, REBRANDER_BUILD_BARE_DIR}) {
    const fs::path candidate = tools / folder / name;
    std::error_code failed;
    if (fs::is_regular_file(candidate, failed)) return candidate.lexically_normal().string();
  }
  return {};
}

}  // namespace tool_files
