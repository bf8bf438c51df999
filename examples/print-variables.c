/* Prints an E-Book's variables, one "ident: value" line each: the running
   program's own with no argument, or those of the E-Book at the given path.
   Written in C99; it builds as C++ too. */
#include <ebookvars.h>
#include <stdio.h>

int main(int argc, char** argv) {
  ebv_book* book;
  size_t i;
  ebv_error error = argc > 1 ? ebv_open(argv[1], &book) : ebv_open_self(&book);
  if (error != EBV_OK) {
    fprintf(stderr, "%s\n", ebv_error_message(error));
    return 1;
  }
  for (i = 0; i < ebv_count(book); ++i) {
    const ebv_variable* variable = ebv_variable_at(book, i);
    printf("%s: ", variable->ident);
    fwrite(variable->value, 1, variable->value_length, stdout);
    printf("\n");
  }
  ebv_close(book);
  return 0;
}
