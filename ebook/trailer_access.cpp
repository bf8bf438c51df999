#include "ebook/trailer_access.h"

#include "formats/table_rules.h"

namespace ebook {

using formats::CEBookTrailer;
using formats::CFieldStream;
using namespace platform;

bool ReadEBookTrailer(HFILE file, CEBookTrailer& trailer, int32_t& length) {
  // A failed seek to the end (HFILE_ERROR) is below the size as well.
  length = _llseek(file, 0, FILE_END);
  if (!ebv_rule_file_length_ok(length)) return false;
  const int32_t position = length - CEBookTrailer::kSize;
  if (_llseek(file, position, FILE_BEGIN) != position) return false;
  CFieldStream stream(CFieldStream::kRead, file);
  return trailer.Transfer(stream);
}

bool TableOffsetFits(int32_t offset, int32_t length) {
  return ebv_rule_table_offset_ok(offset, length) != 0;
}

bool TableEndFits(int32_t end, int32_t length) {
  return ebv_rule_table_end_ok(end, length) != 0;
}

}  // namespace ebook
