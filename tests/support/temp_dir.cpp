#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/module_path.h"

namespace testing_support {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device random;
  while (m_path.empty()) {
    const fs::path candidate =
        fs::temp_directory_path() / ("rebrander-test-" + std::to_string(random()));
    if (fs::create_directory(candidate)) m_path = candidate.string();
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

std::string TempDir::File(const std::string& name) const {
  return m_path + platform::kPathSeparator + name;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(std::ofstream(path, std::ios::binary) << bytes) << path;
}

void SetReadOnly(const std::string& path, bool readOnly) {
  const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(path, readOnly ? write : fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

}  // namespace testing_support
