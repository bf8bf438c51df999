/* The book's contents, as the system-specific open left them. */
#include "tools/ebookvars/ebv_book.h"

#include <string.h>

size_t ebv_count(const ebv_book* book) {
  return book ? book->count : 0;
}

const ebv_variable* ebv_variable_at(const ebv_book* book, size_t index) {
  return book && index < book->count ? &book->variables[index] : NULL;
}

const ebv_variable* ebv_find(const ebv_book* book, const char* ident) {
  size_t length, i;
  if (!book || !ident) return NULL;
  length = strlen(ident);
  for (i = 0; i < book->count; ++i) {
    const ebv_variable* variable = &book->variables[i];
    if (variable->ident_length == length && memcmp(variable->ident, ident, length) == 0) {
      return variable;
    }
  }
  return NULL;
}

int ebv_rebranded(const ebv_book* book) {
  return book ? book->rebranded : 0;
}

const char* ebv_identity(const ebv_book* book) {
  return book ? book->identity : "";
}

int32_t ebv_version(const ebv_book* book) {
  return book ? book->version : 0;
}
