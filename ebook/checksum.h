// A 64-bit checksum of a byte stream, taken over 64-bit words in eight lanes
// so that a lane's multiply need not wait for the others'. Each step is a
// bijection of its lane's running value, and so is each step that folds the
// lanes together, so changing any single byte of the input always changes the
// result. Journals of format 1 were checked byte by byte with FNV-1a, which
// has the same property; one may still wait beside an E-Book, so it stays.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ebook {

enum class ChecksumKind { kLanes, kBytewise };

class CChecksum {
 public:
  explicit CChecksum(ChecksumKind kind = ChecksumKind::kLanes) : m_kind(kind) {}
  void Add(const void* bytes, size_t count);
  uint64_t Value() const;

 private:
  static constexpr size_t kLanes = 8;
  static constexpr size_t kBlock = kLanes * 8;

  void AddBlock(const uint8_t* block);

  uint64_t m_lanes[kLanes] = {0x243f6a8885a308d3u, 0x13198a2e03707344u, 0xa4093822299f31d0u,
                              0x082efa98ec4e6c89u, 0x452821e638d01377u, 0xbe5466cf34e90c6cu,
                              0xc0ac29b7c97c50ddu, 0x3f84d5b5b5470917u};
  uint8_t m_pending[kBlock] = {};  // a block begun by the last Add
  size_t m_nPending = 0;
  uint64_t m_nTotal = 0;  // bytes added
  ChecksumKind m_kind;
  uint64_t m_nBytewise = 0xcbf29ce484222325u;
};

}  // namespace ebook
