#include "formats/table_rules.h"

#include <string.h>

int ebv_rule_file_length_ok(int64_t length) {
  return length >= EBV_TRAILER_SIZE && length <= EBV_LARGEST_FILE;
}

int ebv_rule_table_offset_ok(int64_t offset, int64_t length) {
  return offset >= 0 && offset <= length - EBV_TRAILER_SIZE - EBV_TABLE_HEADER_SIZE;
}

int32_t ebv_rule_record_count(int32_t stored) {
  return stored > 0 ? stored : 0;
}

int ebv_rule_string_length_ok(int32_t length, int64_t left_before_trailer) {
  return length >= 0 && length <= left_before_trailer;
}

size_t ebv_rule_text_length(const void* bytes, size_t stored_length) {
  const void* zero = stored_length > 0 ? memchr(bytes, 0, stored_length) : NULL;
  return zero ? (size_t)((const char*)zero - (const char*)bytes) : stored_length;
}

int ebv_rule_table_end_ok(int64_t end, int64_t length) {
  return end >= 0 && end <= length - EBV_TRAILER_SIZE;
}
