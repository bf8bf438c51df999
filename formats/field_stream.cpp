#include "formats/field_stream.h"

#include <cstring>
#include <memory>
#include <new>

namespace formats {
namespace {

using platform::_lread;
using platform::_lwrite;

// Masks a short run on the stack: a table has thousands of them.
constexpr uint32_t kStackRun = 256;

// XORs the mask over `count` bytes from `from` into `to` (which may be `from`),
// a word at a time.
void MaskCopy(uint8_t* to, const uint8_t* from, size_t count) {
  constexpr uint64_t kWordMask = 0x0101010101010101u * kByteMask;
  size_t i = 0;
  for (; i + 8 <= count; i += 8) {
    uint64_t word;
    std::memcpy(&word, from + i, 8);
    word ^= kWordMask;
    std::memcpy(to + i, &word, 8);
  }
  for (; i < count; ++i) to[i] = from[i] ^ kByteMask;
}

// Unmasks `count` bytes in place and returns the length of the text they
// hold, which ends at the first zero byte.
size_t UnmaskText(uint8_t* bytes, size_t count) {
  MaskCopy(bytes, bytes, count);
  return ebv_rule_text_length(bytes, count);
}

}  // namespace

bool WriteInt(HFILE file, int32_t value) {
  const uint32_t stored = static_cast<uint32_t>(value) ^ kIntMask;
  uint8_t bytes[4];
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<uint8_t>(stored >> (8 * i));
  return _lwrite(file, bytes, 4) == 4;
}

bool ReadInt(HFILE file, int32_t& value) {
  uint8_t bytes[4];
  std::memset(bytes, kByteMask, sizeof bytes);
  const int32_t got = _lread(file, bytes, 4);
  uint32_t stored = 0;
  for (int i = 0; i < 4; ++i) stored |= uint32_t{bytes[i]} << (8 * i);
  value = static_cast<int32_t>(stored ^ kIntMask);
  return got == 4;
}

bool WriteMagic(HFILE file, int32_t magic) {
  return WriteInt(file, magic);
}

bool ReadMagic(HFILE file, int32_t magic) {
  int32_t value = 0;
  return ReadInt(file, value) && value == magic;
}

bool WriteBytes(HFILE file, const void* bytes, uint32_t count) {
  if (count == 0) return true;
  uint8_t onStack[kStackRun];
  std::unique_ptr<uint8_t[]> onHeap;
  uint8_t* masked = onStack;
  if (count > kStackRun) {
    onHeap.reset(new (std::nothrow) uint8_t[count]);
    if (!onHeap) return false;
    masked = onHeap.get();
  }
  MaskCopy(masked, static_cast<const uint8_t*>(bytes), count);
  return _lwrite(file, masked, count) == static_cast<int32_t>(count);
}

bool ReadBytes(HFILE file, void* buffer, uint32_t count) {
  if (count == 0) return true;
  const int32_t got = _lread(file, buffer, count);
  auto* bytes = static_cast<uint8_t*>(buffer);
  if (got > 0) MaskCopy(bytes, bytes, static_cast<size_t>(got));
  return got == static_cast<int32_t>(count);
}

bool WriteString(HFILE file, const std::string& text) {
  if (text.size() > static_cast<size_t>(INT32_MAX)) return false;
  const auto length = static_cast<int32_t>(text.size());
  const bool lengthWritten = WriteInt(file, length);
  if (length == 0) return lengthWritten;
  return lengthWritten && WriteBytes(file, text.data(), static_cast<uint32_t>(length));
}

bool ReadString(HFILE file, std::string& text) {
  int32_t length = 0;
  const bool lengthRead = ReadInt(file, length);
  if (length == 0) {
    text.clear();
    return lengthRead;
  }
  // A damaged length must not make us allocate more than the file could hold.
  if (!lengthRead || !ebv_rule_string_length_ok(length, platform::BytesLeft(file))) {
    text.clear();
    return false;
  }
  // Bytes that did not arrive count as zero; the text ends at the first zero.
  // Most texts go through the stack into the text, which is not filled first;
  // longer ones are read into the text itself.
  const auto count = static_cast<uint32_t>(length);
  uint8_t onStack[kStackRun];
  uint8_t* bytes = onStack;
  if (count > kStackRun) {
    try {
      text.assign(count, '\0');
    } catch (const std::bad_alloc&) {
      return false;
    }
    bytes = reinterpret_cast<uint8_t*>(text.data());
  }
  const int32_t got = _lread(file, bytes, count);
  const size_t kept = UnmaskText(bytes, got > 0 ? static_cast<size_t>(got) : 0);
  if (bytes == onStack) {
    text.assign(reinterpret_cast<const char*>(onStack), kept);
  } else {
    text.resize(kept);
  }
  return got == length;
}

bool CFieldStream::TransferRaw(void* buffer, uint32_t count) {
  const int32_t moved =
      IsWriting() ? _lwrite(m_hFile, buffer, count) : _lread(m_hFile, buffer, count);
  return moved == static_cast<int32_t>(count);
}

bool CFieldStream::TransferInt(int32_t& value) {
  return IsWriting() ? WriteInt(m_hFile, value) : ReadInt(m_hFile, value);
}

bool CFieldStream::TransferMagic(int32_t magic) {
  return IsWriting() ? WriteMagic(m_hFile, magic) : ReadMagic(m_hFile, magic);
}

bool CFieldStream::TransferString(std::string& text) {
  return IsWriting() ? WriteString(m_hFile, text) : ReadString(m_hFile, text);
}

}  // namespace formats
