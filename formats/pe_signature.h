// A signed Windows program ends with its certificate table, after everything
// that was appended to it before signing, a rebrander's stamp included. These
// find that table in an open file and take it off again.
#pragma once

#include <cstdint>

#include "platform/file_io.h"

namespace formats {

// Where a program's certificate table is and where the headers say so.
struct CCertificateTable {
  int32_t m_nOffset = 0;  // a file offset, and the table runs to the end
  int32_t m_nSize = 0;
  int32_t m_nDirectoryEntryAt = 0;  // the data directory entry (offset, size)
  int32_t m_nChecksumAt = 0;        // the optional header's checksum
};

// True when the open file of `length` bytes is a PE program whose certificate
// table is the last thing in it; then `table` says where. Reads only inside
// the file; anything malformed is simply not a signed program.
bool FindTrailingCertificateTable(platform::HFILE file, int32_t length, CCertificateTable& table);

// The length of the file without a trailing certificate table.
int32_t LengthBeforeSignature(platform::HFILE file, int32_t length);
// Where a stamp's trailer ends: at the end of the file, or before a trailing
// certificate table and the zero bytes that aligned it (a trailer never ends
// in a zero byte).
int32_t StampEnd(platform::HFILE file, int32_t length);

// Makes the headers of an open program say that it carries no certificate
// table: the directory entry and the checksum zeroed (0 is taken for "not
// computed"). The table's bytes are the caller's to cut.
bool ForgetCertificateTable(platform::HFILE file, const CCertificateTable& table);

}  // namespace formats
