#include "formats/ebook_trailer.h"

#include <algorithm>
#include <cstring>

namespace formats {

bool CEBookTrailer::Transfer(CFieldStream& stream) {
  return stream.TransferMagic(kStartMarker) && stream.TransferInt(m_nVersion) &&
         stream.TransferInt(m_nField2) && stream.TransferInt(m_nField3) &&
         stream.TransferInt(m_nField4) && stream.TransferInt(m_nField5) &&
         stream.TransferInt(m_nTableOffset) && stream.TransferInt(m_nField7) &&
         stream.TransferInt(m_nField8) && stream.TransferRaw(m_szId, kIdSize) &&
         stream.TransferMagic(kEndMarker);
}

std::string CEBookTrailer::GetId() const {
  return std::string(m_szId, strnlen(m_szId, kIdSize));
}

void CEBookTrailer::SetId(const std::string& id) {
  std::memset(m_szId, 0, kIdSize);
  std::memcpy(m_szId, id.data(), std::min<size_t>(id.size(), kIdSize));
}

}  // namespace formats
