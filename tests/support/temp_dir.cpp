#include "tests/support/temp_dir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "platform/module_path.h"

namespace testing_support {

TempDir::TempDir() {
  namespace fs = std::filesystem;
  std::random_device random;
  std::error_code error;
  for (int attempt = 0; attempt < 100 && m_path.empty(); ++attempt) {
    const fs::path candidate =
        fs::temp_directory_path() / ("rebrander-test-" + std::to_string(random()));
    if (fs::create_directory(candidate, error)) m_path = candidate.string();
  }
  EXPECT_FALSE(m_path.empty()) << error.message();
}

TempDir::~TempDir() {
  if (m_path.empty()) return;
  std::error_code ignored;
  // Windows removes no read-only file.
  for (std::filesystem::recursive_directory_iterator entry(m_path, ignored), end; entry != end;
       entry.increment(ignored)) {
    std::filesystem::permissions(entry->path(), std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::add, ignored);
  }
  std::filesystem::remove_all(m_path, ignored);
}

std::string TempDir::File(const std::string& name) const {
  return m_path + platform::kPathSeparator + name;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteFileBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << path;
}

void SetReadOnly(const std::string& path, bool readOnly) {
  using std::filesystem::perms;
  if (readOnly) {
    std::filesystem::permissions(path,
                                 perms::owner_write | perms::group_write | perms::others_write,
                                 std::filesystem::perm_options::remove);
  } else {
    std::filesystem::permissions(path, perms::owner_write, std::filesystem::perm_options::add);
  }
}

}  // namespace testing_support
