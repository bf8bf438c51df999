// Scrambled field stream: every persistent record is read and written through
// these primitives at an open file's current position. Integers and string
// bytes are stored XOR a fixed mask; raw blocks are stored as they are.
#pragma once

#include <cstdint>
#include <string>

#include "formats/object.h"
#include "formats/table_rules.h"
#include "platform/file_io.h"

namespace formats {

using platform::HFILE;

inline constexpr uint8_t kByteMask = EBV_BYTE_MASK;
inline constexpr uint32_t kIntMask = EBV_INT_MASK;

// Markers are written as signed 32-bit integers.
constexpr int32_t Marker(uint32_t value) {
  return static_cast<int32_t>(value);
}

bool WriteInt(HFILE file, int32_t value);
bool ReadInt(HFILE file, int32_t& value);
bool WriteMagic(HFILE file, int32_t magic);
bool ReadMagic(HFILE file, int32_t magic);
bool WriteBytes(HFILE file, const void* bytes, uint32_t count);
bool ReadBytes(HFILE file, void* buffer, uint32_t count);
bool WriteString(HFILE file, const std::string& text);
bool ReadString(HFILE file, std::string& text);

// Carries a direction and an open file from a caller to a record's Transfer.
// It neither opens, positions nor closes the file.
class CFieldStream : public CObject {
 public:
  enum Direction { kRead = 0, kWrite = 1 };

  CFieldStream(int direction, HFILE file) : m_nDirection(direction), m_hFile(file) {}

  bool IsWriting() const { return m_nDirection == kWrite; }

  // Unmasked bytes; succeeds only if the full count moved.
  bool TransferRaw(void* buffer, uint32_t count);

  // One field in the stream's direction.
  bool TransferInt(int32_t& value);
  bool TransferMagic(int32_t magic);
  bool TransferString(std::string& text);

  int m_nDirection;
  HFILE m_hFile;
};

}  // namespace formats
