// E-Books of a chosen size for the benchmark: a program of any length (sparse),
// a table of n variables and the trailer, beside a rebrander stamped for them.
#pragma once

#include <cstdint>
#include <string>

#include "formats/variable_table.h"

namespace bench {

formats::CVariableTable TableOf(int variables);

// Makes the folder's rebrander (stamped for the E-Book "book") the running one.
void StampRebranderIn(const std::string& folder);

// Writes `path`: `programLength` bytes of program, mostly a hole, then the
// table and the trailer. Returns the table's offset and sets its length.
int32_t WriteEBook(const std::string& path, int32_t programLength,
                   const formats::CVariableTable& table, int32_t& tableLength);

}  // namespace bench
