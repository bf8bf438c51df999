/* The library's messages: one line each, for a program to show as they are. */
#include "tools/ebookvars/ebookvars.h"

const char* ebv_error_message(ebv_error error) {
  switch (error) {
    case EBV_OK:
      return "No error.";
    case EBV_ERROR_ARGUMENT:
      return "A required argument was missing (a null book or path).";
    case EBV_ERROR_OPEN:
      return "The E-Book file could not be opened: it is missing, unreadable or not a plain file.";
    case EBV_ERROR_IN_USE:
      return "The E-Book file is being changed by another program; try again in a moment.";
    case EBV_ERROR_READ:
      return "The E-Book file could not be read.";
    case EBV_ERROR_TOO_LARGE:
      return "The E-Book file is 2 GiB or larger, which the format cannot address.";
    case EBV_ERROR_NO_TRAILER:
      return "The file does not end with an E-Book trailer: it was never packed as an E-Book.";
    case EBV_ERROR_BAD_TABLE:
      return "The E-Book's variable table is damaged: it cannot be read before the trailer.";
    case EBV_ERROR_NO_MEMORY:
      return "There was not enough memory to read the E-Book's variable table.";
  }
  return "Unknown error code.";
}
