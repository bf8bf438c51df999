#include "ebook/checksum.h"

#include <bit>
#include <cstring>

namespace ebook {
namespace {

// Odd, so the multiply is a bijection; the shift folds the high bits, which
// the multiply fills best, back into the low ones.
uint64_t Mix(uint64_t value) {
  value *= 0x9e3779b97f4a7c15u;
  return value ^ (value >> 32);
}

uint64_t LittleEndianWord(const uint8_t* bytes) {
  uint64_t word;
  std::memcpy(&word, bytes, 8);
  if constexpr (std::endian::native == std::endian::big) word = __builtin_bswap64(word);
  return word;
}

}  // namespace

void CChecksum::AddBlock(const uint8_t* block) {
  for (size_t lane = 0; lane < kLanes; ++lane) {
    m_lanes[lane] = Mix(m_lanes[lane] ^ LittleEndianWord(block + 8 * lane));
  }
}

void CChecksum::Add(const void* bytes, size_t count) {
  const auto* p = static_cast<const uint8_t*>(bytes);
  if (m_kind == ChecksumKind::kBytewise) {
    for (size_t i = 0; i < count; ++i) m_nBytewise = (m_nBytewise ^ p[i]) * 0x100000001b3u;
    return;
  }
  m_nTotal += count;
  if (m_nPending > 0) {
    const size_t n = count < kBlock - m_nPending ? count : kBlock - m_nPending;
    std::memcpy(m_pending + m_nPending, p, n);
    m_nPending += n;
    p += n;
    count -= n;
    if (m_nPending < kBlock) return;
    AddBlock(m_pending);
    m_nPending = 0;
  }
  for (; count >= kBlock; p += kBlock, count -= kBlock) AddBlock(p);
  std::memcpy(m_pending, p, count);
  m_nPending = count;
}

uint64_t CChecksum::Value() const {
  if (m_kind == ChecksumKind::kBytewise) return m_nBytewise;
  // The last block padded with zeros; the total tells padding from data.
  CChecksum last = *this;
  if (last.m_nPending > 0) {
    std::memset(last.m_pending + last.m_nPending, 0, kBlock - last.m_nPending);
    last.AddBlock(last.m_pending);
  }
  uint64_t value = m_nTotal;
  for (const uint64_t lane : last.m_lanes) value = Mix(value ^ lane);
  return Mix(value);
}

}  // namespace ebook
