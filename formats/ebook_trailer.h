// The 104-byte trailer that ends every E-Book executable: identity, format
// version and the offset of the variable table.
#pragma once

#include <cstdint>
#include <string>

#include "formats/field_stream.h"

namespace formats {

class CEBookTrailer : public CObject {
 public:
  static constexpr int32_t kSize = EBV_TRAILER_SIZE;
  static constexpr uint32_t kIdSize = EBV_TRAILER_ID_SIZE;
  static constexpr int32_t kStartMarker = Marker(EBV_TRAILER_START_MARKER);
  static constexpr int32_t kEndMarker = Marker(EBV_TRAILER_END_MARKER);

  bool Transfer(CFieldStream& stream);

  // The identity bytes up to the first zero byte, at most 64.
  std::string GetId() const;
  // Stores the text zero-padded; longer text is cut at 64 bytes.
  void SetId(const std::string& id);

  int32_t m_nVersion = 0;
  // m_nField2 to m_nField5, m_nField7 and m_nField8 are opaque: the format
  // fixes integers there that nothing in this system reads, so they have no
  // names of their own (only their places); they are carried unchanged, since
  // a store must write back the trailer it read.
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
