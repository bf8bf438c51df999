#include "formats/pe_signature.h"

namespace formats {

using namespace platform;

namespace {

// Offsets of the PE format that the search needs.
constexpr int32_t kNewHeaderPointerAt = 0x3C;
constexpr int32_t kCoffHeaderSize = 20;
constexpr int32_t kOptionalHeaderSizeAt = 16;  // in the COFF header
constexpr uint16_t kPe32 = 0x10B, kPe32Plus = 0x20B;
constexpr int32_t kChecksumAt = 64;  // in the optional header, either kind
constexpr int32_t kSecurityDirectory = 4;
constexpr int32_t kDirectoryEntrySize = 8;
// Signing tools align the table to 8 bytes with zeros before it.
constexpr int32_t kTableAlignment = 8;

bool ReadAt(HFILE file, int32_t length, int64_t at, void* bytes, int32_t count) {
  return at >= 0 && at + count <= length &&
         _llseek(file, static_cast<int32_t>(at), FILE_BEGIN) == at &&
         _lread(file, bytes, static_cast<uint32_t>(count)) == count;
}

// Little-endian, whatever the machine.
uint32_t Le(const unsigned char* bytes, int count) {
  uint32_t value = 0;
  for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes[i];
  return value;
}

bool ReadLe(HFILE file, int32_t length, int64_t at, int count, uint32_t& value) {
  unsigned char bytes[4];
  if (!ReadAt(file, length, at, bytes, count)) return false;
  value = Le(bytes, count);
  return true;
}

}  // namespace

bool FindTrailingCertificateTable(HFILE file, int32_t length, CCertificateTable& table) {
  char signature[4];
  uint32_t header = 0, optionalSize = 0, magic = 0, directories = 0;
  if (!ReadAt(file, length, 0, signature, 2) || signature[0] != 'M' || signature[1] != 'Z' ||
      !ReadLe(file, length, kNewHeaderPointerAt, 4, header) ||
      !ReadAt(file, length, header, signature, 4) || signature[0] != 'P' || signature[1] != 'E' ||
      signature[2] != 0 || signature[3] != 0) {
    return false;
  }
  const int64_t coff = int64_t{header} + 4, optional = coff + kCoffHeaderSize;
  if (!ReadLe(file, length, coff + kOptionalHeaderSizeAt, 2, optionalSize) ||
      !ReadLe(file, length, optional, 2, magic) || (magic != kPe32 && magic != kPe32Plus)) {
    return false;
  }
  // The directory count and the directories follow the fields whose size the
  // kind decides.
  const int64_t countAt = optional + (magic == kPe32 ? 92 : 108);
  const int64_t entryAt = countAt + 4 + kSecurityDirectory * kDirectoryEntrySize;
  uint32_t offset = 0, size = 0;
  if (!ReadLe(file, length, countAt, 4, directories) || directories <= kSecurityDirectory ||
      entryAt + kDirectoryEntrySize > optional + optionalSize ||
      !ReadLe(file, length, entryAt, 4, offset) || !ReadLe(file, length, entryAt + 4, 4, size)) {
    return false;
  }
  // Last in the file, after the headers, and not empty.
  if (size == 0 || offset < entryAt + kDirectoryEntrySize || offset > uint32_t(length) ||
      size != uint32_t(length) - offset) {
    return false;
  }
  table.m_nOffset = static_cast<int32_t>(offset);
  table.m_nSize = static_cast<int32_t>(size);
  table.m_nDirectoryEntryAt = static_cast<int32_t>(entryAt);
  table.m_nChecksumAt = static_cast<int32_t>(optional + kChecksumAt);
  return true;
}

int32_t LengthBeforeSignature(HFILE file, int32_t length) {
  CCertificateTable table;
  return FindTrailingCertificateTable(file, length, table) ? table.m_nOffset : length;
}

int32_t StampEnd(HFILE file, int32_t length) {
  CCertificateTable table;
  if (!FindTrailingCertificateTable(file, length, table)) return length;
  int32_t end = table.m_nOffset;
  char byte = 0;
  for (int pad = 0; pad < kTableAlignment - 1 && end > 0; ++pad, --end) {
    if (!ReadAt(file, length, end - 1, &byte, 1) || byte != 0) break;
  }
  return end;
}

bool ForgetCertificateTable(HFILE file, const CCertificateTable& table) {
  const char zeros[kDirectoryEntrySize] = {};
  return _llseek(file, table.m_nDirectoryEntryAt, FILE_BEGIN) == table.m_nDirectoryEntryAt &&
         _lwrite(file, zeros, kDirectoryEntrySize) == kDirectoryEntrySize &&
         _llseek(file, table.m_nChecksumAt, FILE_BEGIN) == table.m_nChecksumAt &&
         _lwrite(file, zeros, 4) == 4;
}

}  // namespace formats
