// File helpers shared by the tools that write executables.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_io.h"

namespace tool_files {

// Closes the handle when the scope ends.
struct ScopedFile {
  explicit ScopedFile(platform::HFILE h) : file(h) {}
  ~ScopedFile() {
    if (file != platform::HFILE_ERROR) platform::_lclose(file);
  }
  ScopedFile(const ScopedFile&) = delete;
  ScopedFile& operator=(const ScopedFile&) = delete;
  platform::HFILE file;
};

enum class CopyResult { kOk, kReadFailed, kWriteFailed };

// Copies `count` bytes from the current position of one file to the other's.
// Reading short of `count` is a read failure.
CopyResult CopyBytes(platform::HFILE from, platform::HFILE to, int64_t count);

// The whole file, or standard input for "-"; on failure a line "PATH: reason"
// in `error`.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);
// Writes the file through a temporary one (tools/common/output_file.h), or
// standard output for "-"; on failure a line "PATH: reason" in `error`.
bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error);

}  // namespace tool_files
