// Scratch files for tests: a fresh folder removed afterwards, and whole-file
// reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/path.h"

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;

  const platform::Path& Path() const { return m_path; }
  // Path of a file inside the folder, joined with the system's separator; the
  // name is UTF-8.
  platform::Path File(std::string_view name) const;

 private:
  platform::Path m_path;
};

inline std::string ReadFileBytes(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes) {
  ASSERT_TRUE(std::ofstream(path, std::ios::binary) << bytes) << path.string();
}
// Takes the write permission away or gives it back (the read-only attribute on
// Windows).
inline void SetReadOnly(const std::filesystem::path& path, bool readOnly) {
  namespace fs = std::filesystem;
  const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(path, readOnly ? write : fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

}  // namespace testing_support
