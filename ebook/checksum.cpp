#include "ebook/checksum.h"

namespace ebook {

void CChecksum::Add(const void* bytes, size_t count) {
  constexpr uint64_t kPrime = 0x100000001b3u;
  const auto* p = static_cast<const uint8_t*>(bytes);
  for (size_t i = 0; i < count; ++i) m_nValue = (m_nValue ^ p[i]) * kPrime;
}

}  // namespace ebook
