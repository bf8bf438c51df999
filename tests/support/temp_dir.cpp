#include "tests/support/temp_dir.h"

#include <random>

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  while (m_path.empty()) {
    const fs::path candidate =
        fs::temp_directory_path() / ("rebrander-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) m_path = candidate.native();
  }
}

TempDir::~TempDir() {
  std::error_code ignored;
  // Windows removes no read-only file.
  for (fs::recursive_directory_iterator entry(m_path, ignored), end; entry != end;
       entry.increment(ignored)) {
    fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
  }
  fs::remove_all(m_path, ignored);
}

platform::Path TempDir::File(std::string_view name) const {
  return m_path + platform::kPathSeparator + platform::PathFromUtf8(name);
}

}  // namespace testing_support
