// The E-Book's customizable variables and its rebranded flag, stored at the
// offset its trailer gives.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/field_stream.h"

namespace formats {

// Editing kinds: 0 and 1 single-line, 2 and 3 multi-line, others not offered.
class CVariable : public CObject {
 public:
  static constexpr int32_t kMarker = Marker(EBV_RECORD_MARKER);

  bool Transfer(CFieldStream& stream);

  std::string m_strIdent;
  std::string m_strPrompt;
  std::string m_strValue;
  int32_t m_bEditable = 0;
  int32_t m_nType = 0;
};

class CVariableTable {
 public:
  static constexpr int32_t kMarker = Marker(EBV_TABLE_MARKER);

  // Replaces the contents with the table at the file's position. Records read
  // before a failure stay; a count of zero or less is an empty table.
  bool Read(HFILE file);
  // Writes the header and every element at the file's position.
  bool Write(HFILE file) const;

  int GetSize() const { return static_cast<int>(m_elements.size()); }
  CVariable& operator[](int index) { return m_elements[index]; }
  const CVariable& operator[](int index) const { return m_elements[index]; }
  void Add(const CVariable& variable) { m_elements.push_back(variable); }
  void RemoveAll() { m_elements.clear(); }

  int32_t m_bRebranded = 0;

 private:
  std::vector<CVariable> m_elements;
};

}  // namespace formats
