// One open file as the file services see it: a position of its own, the bytes
// read ahead of it, and the run of writes gathered behind it. Writes reach the
// system when the run is full, at a seek, a read, a length change, a flush
// and the close, so that the file holds them whenever anyone could look.
#pragma once

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/file_handle.h"

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
  // A table moves field by field, a few bytes at a time: those that are read
  // ahead, or join the gathered run, move without a call.
  int32_t Read(void* buffer, uint32_t count) {
    const int64_t from = m_nPosition - m_nReadStart;
    if (m_nPendingCount == 0 && count > 0 && from >= 0 && from + count <= m_nReadCount) {
      std::memcpy(buffer, m_readAhead.get() + from, count);
      m_nPosition += count;
      return static_cast<int32_t>(count);
    }
    return ReadThrough(buffer, count);
  }
  int32_t Write(const void* bytes, uint32_t count) {
    if (m_nPendingCount > 0 && m_nPendingStart + m_nPendingCount == m_nPosition &&
        m_nPendingCount + count <= kCapacity) {
      m_nReadCount = 0;  // what was read ahead may be stale now
      std::memcpy(m_pending.get() + m_nPendingCount, bytes, count);
      m_nPendingCount += count;
      m_nPosition += count;
      if (m_nPosition > m_nSize) m_nSize = m_nPosition;
      return static_cast<int32_t>(count);
    }
    return WriteThrough(bytes, count);
  }
  bool SetLength(int64_t length);
  // False when writing the gathered run fails (it is then dropped).
  bool WriteOut();
  // Nothing written through this handle was ever dropped.
  bool NothingLost() const { return !m_bLost; }

 private:
  int32_t ReadThrough(void* buffer, uint32_t count);
  int32_t WriteThrough(const void* bytes, uint32_t count);

  HFILE m_hNative;
  int64_t m_nPosition = 0;
  int64_t m_nSize;
  std::unique_ptr<char[]> m_readAhead;  // kCapacity bytes once first used
  int64_t m_nReadStart = 0;
  uint32_t m_nReadCount = 0;
  std::unique_ptr<char[]> m_pending;
  uint32_t m_nPendingCount = 0;
  int64_t m_nPendingStart = 0;
  bool m_bLost = false;
};

}  // namespace platform
