// Scratch files for tests: a fresh folder removed afterwards, and whole-file
// reads and writes.
#pragma once

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

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// Takes the write permission away or gives it back (the read-only attribute on
// Windows).
void SetReadOnly(const std::string& path, bool readOnly);

}  // namespace testing_support
