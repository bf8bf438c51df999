#include "ebook/trailer_access.h"

namespace ebook {

using formats::CEBookTrailer;
using formats::CFieldStream;
using namespace platform;

bool ReadEBookTrailer(HFILE file, CEBookTrailer& trailer, int32_t& length) {
  // A failed seek to the end (HFILE_ERROR) is below the size as well.
  length = _llseek(file, 0, FILE_END);
  if (length < CEBookTrailer::kSize) return false;
  const int32_t position = length - CEBookTrailer::kSize;
  if (_llseek(file, position, FILE_BEGIN) != position) return false;
  CFieldStream stream(CFieldStream::kRead, file);
  return trailer.Transfer(stream);
}

bool TableOffsetFits(int32_t offset, int32_t length) {
  constexpr int32_t kTableHeaderSize = 3 * 4;
  return offset >= 0 && offset <= length - CEBookTrailer::kSize - kTableHeaderSize;
}

}  // namespace ebook
