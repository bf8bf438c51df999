#include "formats/variable_table.h"

namespace formats {

bool CVariable::Transfer(CFieldStream& stream) {
  return stream.TransferMagic(kMarker) && stream.TransferString(m_strIdent) &&
         stream.TransferString(m_strPrompt) && stream.TransferString(m_strValue) &&
         stream.TransferInt(m_bEditable) && stream.TransferInt(m_nType);
}

bool CVariableTable::Read(HFILE file) {
  RemoveAll();
  int32_t count = 0;
  const bool ok = ReadMagic(file, kMarker) && ReadInt(file, m_bRebranded) && ReadInt(file, count);
  if (!ok || count <= 0) return ok;
  // Grows one record at a time: a damaged count costs nothing until records arrive.
  CFieldStream stream(CFieldStream::kRead, file);
  for (int32_t i = 0; i < count; ++i) {
    CVariable variable;
    if (!variable.Transfer(stream)) return false;
    Add(variable);
  }
  return true;
}

bool CVariableTable::Write(HFILE file) const {
  bool ok = WriteMagic(file, kMarker) && WriteInt(file, m_bRebranded) && WriteInt(file, GetSize());
  CFieldStream stream(CFieldStream::kWrite, file);
  for (const CVariable& element : m_elements) {
    if (!ok) break;
    CVariable copy = element;  // Transfer takes its fields by reference
    ok = copy.Transfer(stream);
  }
  return ok;
}

}  // namespace formats
