#include "ebook/store_backup.h"

#include <new>
#include <utility>

#include "platform/file_io.h"

namespace ebook {

using namespace platform;

bool ReadBytesAt(HFILE file, int32_t offset, int32_t count, std::string& bytes) {
  if (offset < 0 || count < 0) return false;
  try {
    bytes.assign(static_cast<size_t>(count), '\0');
  } catch (const std::bad_alloc&) {
    return false;
  }
  return _llseek(file, offset, FILE_BEGIN) == offset &&
         _lread(file, bytes.data(), static_cast<uint32_t>(count)) == count;
}

bool CStoreBackup::Save(HFILE file, int32_t offset, int32_t length) {
  if (offset < 0 || offset > length) return false;
  m_nOffset = offset;
  m_nLength = length;
  return ReadBytesAt(file, offset, length - offset, m_strBytes);
}

void CStoreBackup::Assign(int32_t offset, int32_t length, std::string bytes) {
  m_nOffset = offset;
  m_nLength = length;
  m_strBytes = std::move(bytes);
}

bool CStoreBackup::Restore(HFILE file) const {
  const auto count = static_cast<uint32_t>(m_strBytes.size());
  return _llseek(file, m_nOffset, FILE_BEGIN) == m_nOffset &&
         _lwrite(file, m_strBytes.data(), count) == static_cast<int32_t>(count) &&
         SetFileLength(file, m_nLength);
}

}  // namespace ebook
