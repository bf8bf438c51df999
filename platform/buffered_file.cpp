#include "platform/buffered_file.h"

#include <algorithm>

#include "platform/native.h"

namespace platform {

bool BufferedFile::RefreshSize() {
  if (!WriteOut()) return false;
  const int64_t size = native::FileSize(m_hNative);
  if (size < 0) return false;
  m_nSize = size;
  return true;
}

bool BufferedFile::MoveTo(int64_t position) {
  if (!WriteOut()) return false;
  m_nPosition = position;
  return true;
}

int32_t BufferedFile::ReadThrough(void* buffer, uint32_t count) {
  // A read sees every write before it.
  if (!WriteOut()) return HFILE_ERROR;
  auto* out = static_cast<char*>(buffer);
  uint32_t total = 0;
  while (total < count) {
    const int64_t ahead = m_nReadStart + m_nReadCount - m_nPosition;
    if (m_nPosition >= m_nReadStart && ahead > 0) {
      const auto n = static_cast<uint32_t>(std::min<int64_t>(ahead, count - total));
      std::memcpy(out + total, m_readAhead.get() + (m_nPosition - m_nReadStart), n);
      total += n;
      m_nPosition += n;
      continue;
    }
    const uint32_t left = count - total;
    if (left >= kCapacity) {  // large enough to go straight to the caller
      const int32_t n = native::ReadAt(m_hNative, m_nPosition, out + total, left);
      if (n < 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
      total += static_cast<uint32_t>(n);
      m_nPosition += n;
      break;
    }
    if (!m_readAhead) m_readAhead.reset(new char[kCapacity]);
    const int32_t n = native::ReadAt(m_hNative, m_nPosition, m_readAhead.get(), kCapacity);
    m_nReadStart = m_nPosition;
    m_nReadCount = n < 0 ? 0 : static_cast<uint32_t>(n);
    if (n < 0) return total > 0 ? static_cast<int32_t>(total) : HFILE_ERROR;
    if (n == 0) break;  // the end of the file
  }
  return static_cast<int32_t>(total);
}

int32_t BufferedFile::WriteThrough(const void* bytes, uint32_t count) {
  if (count == 0) return 0;
  m_nReadCount = 0;  // what was read ahead may be stale now
  const bool follows = m_nPendingStart + m_nPendingCount == m_nPosition;
  if (m_nPendingCount > 0 && (!follows || m_nPendingCount + count > kCapacity) && !WriteOut()) {
    return HFILE_ERROR;
  }
  int32_t moved = static_cast<int32_t>(count);
  if (count >= kCapacity) {
    moved = native::WriteAt(m_hNative, m_nPosition, bytes, count);
    if (moved < 0) return HFILE_ERROR;
  } else {
    if (!m_pending) m_pending.reset(new char[kCapacity]);
    if (m_nPendingCount == 0) m_nPendingStart = m_nPosition;
    std::memcpy(m_pending.get() + m_nPendingCount, bytes, count);
    m_nPendingCount += count;
  }
  m_nPosition += moved;
  m_nSize = std::max(m_nSize, m_nPosition);
  return moved;
}

bool BufferedFile::SetLength(int64_t length) {
  if (!WriteOut() || !native::SetFileSize(m_hNative, length)) return false;
  m_nReadCount = 0;
  m_nSize = length;
  return true;
}

bool BufferedFile::WriteOut() {
  if (m_nPendingCount == 0) return true;
  const uint32_t count = m_nPendingCount;
  m_nPendingCount = 0;
  const bool written = native::WriteAt(m_hNative, m_nPendingStart, m_pending.get(), count) ==
                       static_cast<int32_t>(count);
  m_bLost |= !written;
  return written;
}

}  // namespace platform
