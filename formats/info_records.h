// The rebranding information appended to a rebrander executable: a block
// anywhere in the file and a 16-byte trailer at its very end that locates it.
#pragma once

#include <cstdint>
#include <string>

#include "formats/field_stream.h"

namespace formats {

class CInfoTrailer : public CObject {
 public:
  static constexpr int32_t kSize = 16;
  static constexpr int32_t kStartMarker = Marker(0x7EB7A4D1);
  static constexpr int32_t kEndMarker = Marker(0x7EB7A4D2);

  bool Transfer(CFieldStream& stream);

  int32_t m_nVersion = 0;
  int32_t m_nInfoOffset = 0;
};

class CInfoBlock : public CObject {
 public:
  static constexpr int32_t kStartMarker = Marker(0xDA1A14F0);
  static constexpr int32_t kEndMarker = Marker(0xDA1A14F1);

  bool Transfer(CFieldStream& stream);

  std::string m_strEBookFile;
  std::string m_strEBookId;
  // Opaque: the format fixes a text here that nothing in this system reads,
  // so it has no name of its own; it is carried unchanged, since a write must
  // give back what was read.
  std::string m_strText3;
  std::string m_strTitle;
  std::string m_strStatusBefore;
  std::string m_strStatusAfter;
  int32_t m_bAllowRepeat = 0;
};

}  // namespace formats
