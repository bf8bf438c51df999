// Scratch files for tests: a fresh folder removed afterwards, and whole-file
// reads and writes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace testing_support {

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;

  const std::string& Path() const { return m_path; }
  // Path of a file inside the folder, joined with the system's separator.
  std::string File(const std::string& name) const;

 private:
  std::string m_path;
};

inline std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
inline void WriteFileBytes(const std::string& path, const std::string& bytes) {
  ASSERT_TRUE(std::ofstream(path, std::ios::binary) << bytes) << path;
}
// Takes the write permission away or gives it back (the read-only attribute on
// Windows).
inline void SetReadOnly(const std::string& path, bool readOnly) {
  namespace fs = std::filesystem;
  const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
  fs::permissions(path, readOnly ? write : fs::perms::owner_write,
                  readOnly ? fs::perm_options::remove : fs::perm_options::add);
}

}  // namespace testing_support
