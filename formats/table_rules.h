/* What makes an E-Book's variable table valid, stated once for every reader:
   the rebrander, mkebook and the E-Book library. Plain C99 so that the
   library can carry it without a C++ runtime. */
#ifndef REBRANDER_FORMATS_TABLE_RULES_H
#define REBRANDER_FORMATS_TABLE_RULES_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Stored integers are little-endian and XOR the integer mask; string bytes
   XOR the byte mask. */
#define EBV_BYTE_MASK 0x93u
#define EBV_INT_MASK 0x93939393u

#define EBV_TABLE_MARKER 0x1151B165u
#define EBV_RECORD_MARKER 0x4E21C70Du
#define EBV_TRAILER_START_MARKER 0x0FF5E101u
#define EBV_TRAILER_END_MARKER 0x0FF5E150u

/* The trailer: the last 104 bytes. Nine integers (start marker, version, four
   opaque, table offset, two opaque), the 64-byte identity stored unmasked,
   and the end marker. */
#define EBV_TRAILER_SIZE 104
#define EBV_TRAILER_VERSION_AT 4
#define EBV_TRAILER_TABLE_OFFSET_AT 24
#define EBV_TRAILER_ID_AT 36
#define EBV_TRAILER_ID_SIZE 64
#define EBV_TRAILER_END_AT 100

/* Table header: marker, rebranded flag, count. A record: marker, three
   strings (ident, prompt, value), editable flag, type; at least 24 bytes. */
#define EBV_TABLE_HEADER_SIZE 12
#define EBV_SMALLEST_RECORD 24

/* Positions are signed 32-bit: a file of 2 GiB or more has no position for
   its end. */
#define EBV_LARGEST_FILE INT32_MAX

/* The file is long enough to hold a trailer and short enough to address. */
int ebv_rule_file_length_ok(int64_t length);

/* The table starts inside the file with room for its header before the
   trailer. */
int ebv_rule_table_offset_ok(int64_t offset, int64_t length);

/* How many records a stored count asks for: zero or less is an empty table. */
int32_t ebv_rule_record_count(int32_t stored);

/* A string's stored length: negative means damage, and its bytes must fit in
   what is left before the trailer. */
int ebv_rule_string_length_ok(int32_t length, int64_t left_before_trailer);

/* A text ends at its first zero byte: the length of the text among the
   (already unmasked) stored bytes. */
size_t ebv_rule_text_length(const void* bytes, size_t stored_length);

/* The table read ends at or before the trailer's first byte; a table read
   beyond it was read from the trailer's own bytes. */
int ebv_rule_table_end_ok(int64_t end, int64_t length);

#ifdef __cplusplus
}
#endif

#endif
