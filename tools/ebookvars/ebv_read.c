#include <stdlib.h>
#include <string.h>

#include "tools/ebookvars/ebv_book.h"

static uint32_t stored_int(const unsigned char* bytes) {
  const uint32_t stored = (uint32_t)bytes[0] | (uint32_t)bytes[1] << 8 | (uint32_t)bytes[2] << 16 |
                          (uint32_t)bytes[3] << 24;
  return stored ^ EBV_INT_MASK;
}

/* Two's complement without relying on how a cast of a large value behaves. */
static int32_t signed_int(uint32_t value) {
  return value <= (uint32_t)INT32_MAX ? (int32_t)value : -(int32_t)(~value) - 1;
}

/* A walk over the table's bytes that never steps past their end. */
typedef struct cursor {
  unsigned char* bytes;
  size_t size;
  size_t at;
} cursor;

static int take_int(cursor* c, int32_t* value) {
  if (c->size - c->at < 4) return 0;
  *value = signed_int(stored_int(c->bytes + c->at));
  c->at += 4;
  return 1;
}

static int take_marker(cursor* c, uint32_t marker) {
  int32_t value;
  return take_int(c, &value) && (uint32_t)value == marker;
}

/* Unmasks a stored string in place; `text` and `length` give the text, which
   ends at its first zero byte. */
static int take_string(cursor* c, const char** text, size_t* length) {
  int32_t stored;
  size_t i;
  unsigned char* bytes;
  if (!take_int(c, &stored) || !ebv_rule_string_length_ok(stored, (int64_t)(c->size - c->at))) {
    return 0;
  }
  bytes = c->bytes + c->at;
  for (i = 0; i < (size_t)stored; ++i) bytes[i] ^= EBV_BYTE_MASK;
  *text = (const char*)bytes;
  *length = ebv_rule_text_length(bytes, (size_t)stored);
  c->at += (size_t)stored;
  return 1;
}

static int take_record(cursor* c, ebv_variable* variable) {
  int32_t editable;
  if (!take_marker(c, EBV_RECORD_MARKER) ||
      !take_string(c, &variable->ident, &variable->ident_length) ||
      !take_string(c, &variable->prompt, &variable->prompt_length) ||
      !take_string(c, &variable->value, &variable->value_length) || !take_int(c, &editable) ||
      !take_int(c, &variable->type)) {
    return 0;
  }
  variable->editable = editable != 0;
  return 1;
}

/* Each text is followed within its record by a field already decoded (the
   next length, or the flags after the value): a zero there makes the text a
   C string without copying it. */
static void terminate_texts(const ebv_variable* variable) {
  ((char*)variable->ident)[variable->ident_length] = '\0';
  ((char*)variable->prompt)[variable->prompt_length] = '\0';
  ((char*)variable->value)[variable->value_length] = '\0';
}

static ebv_error read_trailer(ebv_book* book, const unsigned char* trailer, int64_t* offset) {
  size_t id_length;
  if (stored_int(trailer) != EBV_TRAILER_START_MARKER ||
      stored_int(trailer + EBV_TRAILER_END_AT) != EBV_TRAILER_END_MARKER) {
    return EBV_ERROR_NO_TRAILER;
  }
  book->version = signed_int(stored_int(trailer + EBV_TRAILER_VERSION_AT));
  *offset = signed_int(stored_int(trailer + EBV_TRAILER_TABLE_OFFSET_AT));
  id_length = ebv_rule_text_length(trailer + EBV_TRAILER_ID_AT, EBV_TRAILER_ID_SIZE);
  memcpy(book->identity, trailer + EBV_TRAILER_ID_AT, id_length);
  book->identity[id_length] = '\0';
  return EBV_OK;
}

ebv_error ebv_load(ebv_book* book, int64_t length, ebv_read_fn read, void* source) {
  unsigned char trailer[EBV_TRAILER_SIZE], header[EBV_TABLE_HEADER_SIZE];
  int64_t offset, table_size;
  cursor c;
  int32_t rebranded, stored;
  size_t count, i;
  ebv_error error;

  if (length > EBV_LARGEST_FILE) return EBV_ERROR_TOO_LARGE;
  if (!ebv_rule_file_length_ok(length)) return EBV_ERROR_NO_TRAILER;
  if (!read(source, length - EBV_TRAILER_SIZE, trailer, sizeof trailer)) return EBV_ERROR_READ;
  error = read_trailer(book, trailer, &offset);
  if (error != EBV_OK) return error;
  if (!ebv_rule_table_offset_ok(offset, length)) return EBV_ERROR_BAD_TABLE;

  /* The header first: a table that cannot be, by its marker or by a count of
     records more than its bytes could hold, is refused before its buffer is
     taken. */
  table_size = length - EBV_TRAILER_SIZE - offset;
  if (!read(source, offset, header, sizeof header)) return EBV_ERROR_READ;
  c.bytes = header;
  c.size = sizeof header;
  c.at = 0;
  if (!take_marker(&c, EBV_TABLE_MARKER) || !take_int(&c, &rebranded) || !take_int(&c, &stored)) {
    return EBV_ERROR_BAD_TABLE;
  }
  count = (size_t)ebv_rule_record_count(stored);
  /* More records than the bytes could hold would run into the trailer. */
  if (count > (size_t)(table_size - EBV_TABLE_HEADER_SIZE) / EBV_SMALLEST_RECORD) {
    return EBV_ERROR_BAD_TABLE;
  }
  book->rebranded = rebranded != 0;

  /* Everything from the table to the trailer, in one buffer whose size the
     file's length bounds. */
  book->table = (unsigned char*)malloc((size_t)table_size);
  if (!book->table) return EBV_ERROR_NO_MEMORY;
  if (!read(source, offset, book->table, (size_t)table_size)) return EBV_ERROR_READ;
  c.bytes = book->table;
  c.size = (size_t)table_size;
  c.at = EBV_TABLE_HEADER_SIZE;
  if (count > 0) {
    book->variables = (ebv_variable*)calloc(count, sizeof *book->variables);
    if (!book->variables) return EBV_ERROR_NO_MEMORY;
  }
  for (i = 0; i < count; ++i) {
    if (!take_record(&c, &book->variables[i])) return EBV_ERROR_BAD_TABLE;
    terminate_texts(&book->variables[i]);
  }
  if (!ebv_rule_table_end_ok(offset + (int64_t)c.at, length)) return EBV_ERROR_BAD_TABLE;
  book->count = count;
  return EBV_OK;
}

void ebv_unload(ebv_book* book) {
  free(book->variables);
  free(book->table);
  book->variables = NULL;
  book->table = NULL;
  book->count = 0;
}
