/* ebookvars: read an E-Book's variable table from C or C++.

   An E-Book is a program with a variable table and a 104-byte trailer
   appended to it. The program reads its own texts with this library:

     ebv_book* book;
     ebv_error error = ebv_open_self(&book);
     if (error != EBV_OK) {
       fprintf(stderr, "%s\n", ebv_error_message(error));
       return 1;
     }
     const ebv_variable* title = ebv_find(book, "title");
     if (title) printf("%.*s\n", (int)title->value_length, title->value);
     ebv_close(book);

   Keeping the rebrander out. While a book is open, the library holds the
   executable open for reading and no more, so that no rebrander rewrites the
   table under a running E-Book. On Linux the file is opened read-only and
   holds a shared flock(2) lock; the rebrander's exclusive open takes an
   exclusive lock and a write lease and so fails until ebv_close. On Windows
   the file is opened with FILE_SHARE_READ only, which refuses every opener
   that asks to write. Open the book at start and close it when the program
   ends: the rebrander then sees the E-Book as running.

   Finding itself. ebv_open_self opens the running executable: on Linux
   through /proc/self/exe, on Windows through GetModuleFileNameW. Both work
   from any folder, under any file name, and on Windows in a folder whose name
   the ANSI code page cannot spell.

   Texts. Every text comes back as bytes with their length, in the code page
   the E-Book was packed with, followed by a zero byte (so it is also a C
   string). A stored text ends at its first zero byte. To show them:
   - on Linux, a table packed without an encoding holds UTF-8: print it as it
     is; otherwise convert with iconv_open("UTF-8", "<the packing encoding>").
   - on Windows the texts are in the system code page (CP_ACP): use the
     ANSI functions (SetWindowTextA), or convert with
     MultiByteToWideChar(CP_ACP, 0, value, (int)value_length, ...) for the
     wide ones.

   Hostile files give an error code, never a crash; the memory a book takes is
   bounded by the size of its table, and files of 2 GiB or more are refused.
   All functions may be called from any thread; a book is not to be used by
   two threads while one closes it. */
#ifndef EBOOKVARS_H
#define EBOOKVARS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef enum ebv_error {
  EBV_OK = 0,
  EBV_ERROR_ARGUMENT,   /* a null pointer where a book or path is needed */
  EBV_ERROR_OPEN,       /* the file is missing, unreadable, or not a plain file */
  EBV_ERROR_IN_USE,     /* a rebrander is writing the file right now */
  EBV_ERROR_READ,       /* reading the file failed */
  EBV_ERROR_TOO_LARGE,  /* 2 GiB or more */
  EBV_ERROR_NO_TRAILER, /* the last 104 bytes are no E-Book trailer: never packed */
  EBV_ERROR_BAD_TABLE,  /* a trailer, but no valid variable table before it */
  EBV_ERROR_NO_MEMORY
} ebv_error;

/* One variable, in the table's order. Texts are not converted (see above). */
typedef struct ebv_variable {
  const char* ident; /* how the program names the variable */
  size_t ident_length;
  const char* prompt; /* what the rebrander asks its user */
  size_t prompt_length;
  const char* value; /* the text itself */
  size_t value_length;
  int editable; /* nonzero: the rebrander offers it for change */
  int32_t type; /* 0 and 1 one line, 2 and 3 several lines, others not offered */
} ebv_variable;

typedef struct ebv_book ebv_book;

/* Opens the running program's own executable. */
ebv_error ebv_open_self(ebv_book** book);
/* Opens the E-Book at a path (on Windows, in the ANSI code page). */
ebv_error ebv_open(const char* path, ebv_book** book);
#ifdef _WIN32
/* Opens the E-Book at a wide-character path. */
ebv_error ebv_open_wide(const wchar_t* path, ebv_book** book);
#endif
/* On any error *book is set to NULL. ebv_close(NULL) does nothing. */
void ebv_close(ebv_book* book);

/* The number of variables; 0 for an empty table. */
size_t ebv_count(const ebv_book* book);
/* The variable at an index from 0, or NULL past the end. Valid until
   ebv_close. */
const ebv_variable* ebv_variable_at(const ebv_book* book, size_t index);
/* The first variable whose ident is this zero-terminated text, or NULL. */
const ebv_variable* ebv_find(const ebv_book* book, const char* ident);

/* Nonzero once a rebrander has customized the E-Book. */
int ebv_rebranded(const ebv_book* book);
/* The identity text of the trailer (at most 64 bytes, zero-terminated) and
   the package format version. */
const char* ebv_identity(const ebv_book* book);
int32_t ebv_version(const ebv_book* book);

/* A one-line English description of an error, never NULL. */
const char* ebv_error_message(ebv_error error);

#ifdef __cplusplus
}
#endif

#endif
