// FNV-1a over 64 bits. Each step is a bijection of the running value, so
// changing any single byte of the input always changes the result.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ebook {

class CChecksum {
 public:
  void Add(const void* bytes, size_t count);
  uint64_t Value() const { return m_nValue; }

 private:
  uint64_t m_nValue = 0xcbf29ce484222325u;
};

}  // namespace ebook
