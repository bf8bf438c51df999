// The 104-byte trailer that ends every E-Book executable: identity, format
// version and the offset of the variable table. Opaque fields are carried
// through unchanged.
#pragma once

#include <cstdint>
#include <string>

#include "formats/field_stream.h"

namespace formats {

class CEBookTrailer : public CObject {
 public:
  static constexpr int32_t kSize = 104;
  static constexpr uint32_t kIdSize = 64;
  static constexpr int32_t kStartMarker = Marker(0x0FF5E101);
  static constexpr int32_t kEndMarker = Marker(0x0FF5E150);

  bool Transfer(CFieldStream& stream);

  // The identity bytes up to the first zero byte, at most 64.
  std::string GetId() const;
  // Stores the text zero-padded; longer text is cut at 64 bytes.
  void SetId(const std::string& id);

  int32_t m_nVersion = 0;
  int32_t m_nField2 = 0;
  int32_t m_nField3 = 0;
  int32_t m_nField4 = 0;
  int32_t m_nField5 = 0;
  int32_t m_nTableOffset = 0;
  int32_t m_nField7 = 0;
  int32_t m_nField8 = 0;
  char m_szId[kIdSize] = {};
};

}  // namespace formats
