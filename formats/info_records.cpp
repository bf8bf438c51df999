#include "formats/info_records.h"

namespace formats {

bool CInfoTrailer::Transfer(CFieldStream& stream) {
  return stream.TransferMagic(kStartMarker) && stream.TransferInt(m_nVersion) &&
         stream.TransferInt(m_nInfoOffset) && stream.TransferMagic(kEndMarker);
}

bool CInfoBlock::Transfer(CFieldStream& stream) {
  return stream.TransferMagic(kStartMarker) && stream.TransferString(m_strEBookFile) &&
         stream.TransferString(m_strEBookId) && stream.TransferString(m_strText3) &&
         stream.TransferString(m_strTitle) && stream.TransferString(m_strStatusBefore) &&
         stream.TransferString(m_strStatusAfter) && stream.TransferInt(m_bAllowRepeat) &&
         stream.TransferMagic(kEndMarker);
}

}  // namespace formats
