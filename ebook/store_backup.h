// What a store may overwrite, kept so that a failed store can put it back:
// the bytes from the table offset to the end of the file, and the length.
#pragma once

#include <cstdint>
#include <string>

#include "platform/file_handle.h"

namespace ebook {

// Reads `count` bytes at `offset` into `bytes`; false when they cannot be read
// in full or do not fit in memory.
bool ReadBytesAt(platform::HFILE file, int32_t offset, int32_t count, std::string& bytes);

class CStoreBackup {
 public:
  // Reads the bytes from `offset` to `length`, the end of the open file.
  bool Save(platform::HFILE file, int32_t offset, int32_t length);
  // Takes bytes kept elsewhere; `bytes` must run from `offset` to `length`.
  void Assign(int32_t offset, int32_t length, std::string bytes);
  // Writes the saved bytes back and cuts the file to its saved length.
  bool Restore(platform::HFILE file) const;

  int32_t Offset() const { return m_nOffset; }
  int32_t Length() const { return m_nLength; }
  const std::string& Bytes() const { return m_strBytes; }

 private:
  int32_t m_nOffset = 0;
  int32_t m_nLength = 0;
  std::string m_strBytes;
};

}  // namespace ebook
