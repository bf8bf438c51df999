// One open file as the file services see it: a position of its own, the bytes
// read ahead of it, and the run of writes gathered behind it. Writes reach the
// system when the run is full, at a seek, a read, a length change, a flush
// and the close, so that the file holds them whenever anyone could look.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/file_io.h"

namespace platform {

class BufferedFile {
 public:
  static constexpr uint32_t kCapacity = 64 * 1024;

  BufferedFile(HFILE native, int64_t size) : m_hNative(native), m_nSize(size) {}

  HFILE Native() const { return m_hNative; }
  int64_t Position() const { return m_nPosition; }
  // The length as this handle knows it: the system's at open or at the last
  // Refresh, grown by this handle's own writes. No system call.
  int64_t KnownSize() const { return m_nSize; }

  // Writes out, then asks the system for the length.
  bool RefreshSize();
  // Writes out, then moves; the position stays on failure.
  bool MoveTo(int64_t position);
  int32_t Read(void* buffer, uint32_t count);
  int32_t Write(const void* bytes, uint32_t count);
  bool SetLength(int64_t length);
  // False when writing the gathered run fails (it is then dropped).
  bool WriteOut();
  // Nothing written through this handle was ever dropped.
  bool NothingLost() const { return !m_bLost; }

 private:
  HFILE m_hNative;
  int64_t m_nPosition = 0;
  int64_t m_nSize;
  std::vector<char> m_readAhead;
  int64_t m_nReadStart = 0;
  uint32_t m_nReadCount = 0;
  std::unique_ptr<char[]> m_pending;
  uint32_t m_nPendingCount = 0;
  int64_t m_nPendingStart = 0;
  bool m_bLost = false;
};

}  // namespace platform
