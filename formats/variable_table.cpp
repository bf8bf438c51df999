#include "formats/variable_table.h"

#include <algorithm>
#include <utility>

namespace formats {

bool CVariable::Transfer(CFieldStream& stream) {
  return stream.TransferMagic(kMarker) && stream.TransferString(m_strIdent) &&
         stream.TransferString(m_strPrompt) && stream.TransferString(m_strValue) &&
         stream.TransferInt(m_bEditable) && stream.TransferInt(m_nType);
}

bool CVariableTable::Read(HFILE file) {
  RemoveAll();
  int32_t stored = 0;
  const bool ok = ReadMagic(file, kMarker) && ReadInt(file, m_bRebranded) && ReadInt(file, stored);
  const int32_t count = ebv_rule_record_count(stored);
  if (!ok || count == 0) return ok;
  // Room for no more records than the bytes left could hold: a damaged count
  // costs nothing beyond the file's size.
  constexpr int64_t kSmallestRecord = EBV_SMALLEST_RECORD;
  m_elements.reserve(static_cast<size_t>(
      std::min<int64_t>(count, std::max<int64_t>(platform::BytesLeft(file), 0) / kSmallestRecord)));
  CFieldStream stream(CFieldStream::kRead, file);
  for (int32_t i = 0; i < count; ++i) {
    // Read in place; a record that fails to read does not stay.
    if (!m_elements.emplace_back().Transfer(stream)) {
      m_elements.pop_back();
      return false;
    }
  }
  return true;
}

bool CVariableTable::Write(HFILE file) const {
  bool ok = WriteMagic(file, kMarker) && WriteInt(file, m_bRebranded) && WriteInt(file, GetSize());
  CFieldStream stream(CFieldStream::kWrite, file);
  for (const CVariable& element : m_elements) {
    if (!ok) break;
    // Transfer takes its fields by reference; writing only reads them.
    ok = const_cast<CVariable&>(element).Transfer(stream);
  }
  return ok;
}

}  // namespace formats
