// Finding the trailer and the table in an open E-Book. Positions are 32-bit:
// a file of 2 GiB or more has no position for its end and is unreadable here.
#pragma once

#include <cstdint>

#include "formats/ebook_trailer.h"

namespace ebook {

// Reads the trailer that ends the open file and gives the file's length.
// Fails on a file too short to hold a trailer or too long to address.
bool ReadEBookTrailer(platform::HFILE file, formats::CEBookTrailer& trailer, int32_t& length);

// The table must start inside the file, with room for at least its header
// (marker, flag, count) before the trailer: a table written at the trailer
// itself would have been read from the trailer's bytes.
bool TableOffsetFits(int32_t offset, int32_t length);
// A table read that went past the trailer's first byte read the trailer.
bool TableEndFits(int32_t end, int32_t length);

}  // namespace ebook
