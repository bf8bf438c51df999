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

// Copies `count` bytes from the current position of one file to the other's.
bool CopyBytes(platform::HFILE from, platform::HFILE to, int64_t count);

// The whole file; on failure a line "PATH: reason" in `error`.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);

}  // namespace tool_files
