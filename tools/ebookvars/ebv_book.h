/* Inside the library: the book, and the one read that both systems share. */
#ifndef EBOOKVARS_EBV_BOOK_H
#define EBOOKVARS_EBV_BOOK_H

#include "formats/table_rules.h"
#include "tools/ebookvars/ebookvars.h"

#ifdef __cplusplus
extern "C" {
#endif

struct ebv_book {
  /* The bytes from the table's offset to the trailer, unmasked in place; the
     variables' texts point into them. */
  unsigned char* table;
  ebv_variable* variables;
  size_t count;
  int rebranded;
  int32_t version;
  char identity[EBV_TRAILER_ID_SIZE + 1];
  /* The open executable, held for the book's life: a file descriptor on
     Linux, a HANDLE on Windows. */
  intptr_t file;
};

/* Reads `size` bytes at `offset` of the source; nonzero only if all came. */
typedef int (*ebv_read_fn)(void* source, int64_t offset, void* buffer, size_t size);

/* Reads the trailer and the table of a file of `length` bytes into the book. */
ebv_error ebv_load(ebv_book* book, int64_t length, ebv_read_fn read, void* source);
/* Frees what ebv_load took; leaves the file alone. */
void ebv_unload(ebv_book* book);

#ifdef __cplusplus
}
#endif

#endif
