// An E-Book on disk is a program followed by its variable table and, as the
// last 104 bytes, the trailer that locates the table. These functions read
// that package from a file and write a packed copy of a program.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "formats/ebook_trailer.h"
#include "formats/variable_table.h"

namespace packing {

struct EBookPackage {
  formats::CEBookTrailer trailer;
  formats::CVariableTable table;
};

enum class PackageStatus {
  kOk,
  kNoTrailer,  // too short, too large, or the last 104 bytes are no trailer
  kBadTable,   // a trailer, but no readable table between its offset and the trailer
};

// Reads the trailer at the end of an open file and the table at the offset it
// gives. The table must lie wholly before the trailer. On success `tableEnd`,
// when given, receives the position right after the table.
PackageStatus ReadPackage(platform::HFILE file, EBookPackage& package, int32_t* tableEnd = nullptr);

// Opens the file for shared reading and reads its package. On failure returns
// false with a one-line reason in `error`. `cutTexts`, when given, receives the
// names ("variables[2].value") of the texts stored with a zero byte inside: the
// table read keeps only what comes before it.
bool LoadPackage(const std::string& path, EBookPackage& package, std::string& error,
                 std::vector<std::string>* cutTexts = nullptr);

// Writes `output`: the program part of `program` (the whole file, or for an
// E-Book that is already packed everything before its table), then the table,
// then the trailer with its table offset set. The output keeps the program's
// permissions and appears only once it is complete. On failure returns false
// with a one-line reason in `error` and leaves no output behind.
bool PackEBook(const std::string& program, const EBookPackage& package, const std::string& output,
               std::string& error);

}  // namespace packing
